// The program's application object stops what a slot or an event handler
// throws: a described error is shown in its error box, anything else is
// reported as an unfinished operation, and the program goes on taking
// clicks.

#include "ScriptedMessages.h"
#include "app/GuardedApplication.h"
#include "platform/Error.h"

#include <QPushButton>
#include <QTest>

#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;
using platform::IMessages;

class TestEventGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void thrownErrorIsShownAndTheProgramGoesOn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("described error") << 0 << u"Pole 'Počet kopií' musí mít hodnotu."_s;
        QTest::newRow("standard exception") << 1 << u"neočekávané chybě programu:\nbad index"_s;
        QTest::newRow("anything else") << 2 << u"neočekávané chybě programu."_s;
    }

    void thrownErrorIsShownAndTheProgramGoesOn()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        auto *application = qobject_cast<app::GuardedApplication *>(QCoreApplication::instance());
        QVERIFY(application);
        platform::ScriptedMessages messages;
        application->setMessages(&messages);

        QPushButton button(u"Tisk"_s);
        int clicks = 0;
        QObject::connect(&button, &QPushButton::clicked, &button, [&] {
            if (++clicks > 1)
                return;
            switch (kind) {
            case 0:
                throw platform::Error(u"Pole 'Počet kopií' musí mít hodnotu."_s);
            case 1:
                throw std::out_of_range("bad index");
            default:
                throw 42;
            }
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Exception stopped at the event loop"_s));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(messages.texts(IMessages::Kind::Error).size(), 1);
        QVERIFY2(messages.texts().first().endsWith(shown), qPrintable(messages.texts().first()));

        // The button still answers, and the keyboard too.
        QTest::mouseClick(&button, Qt::LeftButton);
        button.setFocus();
        QTest::keyClick(&button, Qt::Key_Space);
        QCOMPARE(clicks, 3);
        QCOMPARE(messages.shown().size(), 1);
        application->setMessages(nullptr);
    }
};

int main(int argc, char *argv[])
{
    app::GuardedApplication application(argc, argv);
    TestEventGuard test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_event_guard.moc"
