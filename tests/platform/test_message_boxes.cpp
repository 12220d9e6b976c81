// The program's message boxes: Czech buttons, and the window they belong to
// followed only as long as it exists.

#include "ModalDialogs.h"
#include "platform/QtMessages.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

class TestMessageBoxes : public QObject
{
    Q_OBJECT

private slots:
    void questionsHaveCzechButtonsAndTheirWindow()
    {
        QWidget main;
        platform::QtMessages boxes;
        boxes.setDialogParent(&main);
        QWidget *parent = nullptr;
        QStringList captions;
        testsupport::whenModal<QMessageBox>(this, [&](QMessageBox *box) {
            parent = box->parentWidget();
            for (QAbstractButton *b : box->buttons())
                captions.append(b->text());
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!boxes.confirm(u"Opravdu?"_s));
        QCOMPARE(parent, &main);
        captions.sort();
        QCOMPARE(captions, (QStringList{u"Ano"_s, u"Ne"_s}));
    }

    // The question mark of a question that wraps stays with its word.
    void questionMarkKeptWithItsWord()
    {
        platform::QtMessages boxes;
        QString shown;
        testsupport::whenModal<QMessageBox>(this, [&](QMessageBox *box) {
            shown = box->text();
            box->button(QMessageBox::Yes)->click();
        });
        QVERIFY(boxes.confirm(u"Opravdu chcete přenést název právnické osoby ř. 1: Stavby Novák s.r.o. ?"_s));
        QCOMPARE(shown, u"Opravdu chcete přenést název právnické osoby ř. 1: Stavby Novák s.r.o.\u00A0?"_s);
    }

    void aClosedWindowLeavesTheBoxesWithoutOne()
    {
        platform::QtMessages boxes;
        auto main = std::make_unique<QWidget>();
        boxes.setDialogParent(main.get());
        main.reset();
        bool shown = false;
        bool hadParent = true;
        testsupport::whenModal<QMessageBox>(this, [&](QMessageBox *box) {
            shown = true;
            hadParent = box->parentWidget() != nullptr;
            box->button(QMessageBox::Ok)->click();
        });
        boxes.information(u"Hotovo."_s);
        QVERIFY(shown);
        QVERIFY(!hadParent);
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
