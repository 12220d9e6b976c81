// The main window's GUI-free parts: the statement window chain, the help
// hook and the font conversion of printed reports.

#include "app/Dispatch.h"
#include "app/HelpHook.h"
#include "app/ReportFonts.h"
#include "platform/Error.h"

#include "RecordingHelpViewer.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using app::StatementDispatch;
using statements::StatementKind;

namespace {

// Each window closes asking for its neighbour in a fixed direction, a
// given number of times, then closes for good.
struct ChainWalk
{
    StatementDispatch dispatch;
    QList<int> shown;
    int stepsLeft = 0;
    StatementDispatch::Direction direction = StatementDispatch::Direction::Forward;

    void attachAll(const QList<int> &kinds)
    {
        for (int kind : kinds)
            dispatch.attach(StatementKind(kind), [this, kind] {
                shown.append(kind);
                if (stepsLeft-- <= 0)
                    return StatementKind::None;
                return StatementDispatch::neighbour(StatementKind(kind), direction);
            });
    }
};

struct FakeReport : app::IReportFonts
{
    QStringList fonts;
    int writes = 0;
    int fontCount() const override { return int(fonts.size()); }
    QString fontName(int index) const override { return fonts.at(index); }
    void setFontName(int index, const QString &name) override
    {
        fonts[index] = name;
        ++writes;
    }
};

} // namespace

Q_DECLARE_METATYPE(StatementDispatch::Direction)

class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void chain_data()
    {
        QTest::addColumn<QList<int>>("attached");
        QTest::addColumn<int>("start");
        QTest::addColumn<StatementDispatch::Direction>("direction");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QList<int>>("expected");

        const QList<int> all = {1, 2, 3, 4, 5, 6};
        const auto fwd = StatementDispatch::Direction::Forward;
        const auto back = StatementDispatch::Direction::Backward;
        QTest::newRow("forward through every window to printing")
            << all << 1 << fwd << 10 << QList<int>{1, 2, 3, 6, 4, 5};
        QTest::newRow("backward from withholding to the start")
            << all << 4 << back << 10 << QList<int>{4, 6, 3, 2, 1};
        QTest::newRow("printing has no neighbour") << all << 5 << back << 10 << QList<int>{5};
        QTest::newRow("closing without a choice ends the chain") << all << 2 << fwd << 1 << QList<int>{2, 3};
        QTest::newRow("a window not yet attached stops the walk")
            << QList<int>{1, 2, 3} << 1 << fwd << 10 << QList<int>{1, 2, 3};
        QTest::newRow("unknown kinds do nothing") << all << 7 << fwd << 10 << QList<int>{};
        QTest::newRow("kind 0 does nothing") << all << 0 << fwd << 10 << QList<int>{};
    }

    void chain()
    {
        QFETCH(QList<int>, attached);
        QFETCH(int, start);
        QFETCH(StatementDispatch::Direction, direction);
        QFETCH(int, steps);
        QFETCH(QList<int>, expected);

        ChainWalk walk;
        walk.direction = direction;
        walk.stepsLeft = steps;
        walk.attachAll(attached);
        walk.dispatch.Dpp1(StatementKind(start));
        QCOMPARE(walk.shown, expected);
    }

    void windowAlreadyShownIsNotOpenedTwice()
    {
        StatementDispatch dispatch;
        int opened = 0;
        dispatch.attach(StatementKind::Employment, [&] {
            ++opened;
            // An editor asking for itself while it is open.
            dispatch.Dpp1(StatementKind::Employment);
            return StatementKind::None;
        });
        dispatch.Dpp1(StatementKind::Employment);
        QCOMPARE(opened, 1);
        QVERIFY(!dispatch.isShowing(StatementKind::Employment));
    }

    void windowThatFailsCanBeOpenedAgain()
    {
        StatementDispatch dispatch;
        int opened = 0;
        dispatch.attach(StatementKind::Corrections, [&] {
            if (++opened == 1)
                throw platform::Error(u"Tabulka Vpkv.DB je poškozená."_s);
            return StatementKind::None;
        });
        QVERIFY_THROWS_EXCEPTION(platform::Error, dispatch.Dpp1(StatementKind::Corrections));
        dispatch.Dpp1(StatementKind::Corrections);
        QCOMPARE(opened, 2);
    }

    void helpRequests_data()
    {
        using Command = app::TUseHTMLHelp::HelpCommand;
        QTest::addColumn<int>("command");
        QTest::addColumn<QVariant>("data");
        QTest::addColumn<QString>("expected");
        QTest::newRow("context") << int(Command::Context) << QVariant(16) << u"context 16"_s;
        QTest::newRow("pop-up context") << int(Command::ContextPopup) << QVariant(34) << u"context 34"_s;
        QTest::newRow("context without a number") << int(Command::Context) << QVariant() << u"default"_s;
        QTest::newRow("keyword") << int(Command::Key) << QVariant(u"Přeplatky"_s) << u"keyword Přeplatky"_s;
        QTest::newRow("quit") << int(Command::Quit) << QVariant() << u"quit"_s;
        QTest::newRow("contents") << int(Command::Contents) << QVariant() << u"default"_s;
        QTest::newRow("anything else") << int(Command::Other) << QVariant(5) << u"default"_s;
    }

    void helpRequests()
    {
        QFETCH(int, command);
        QFETCH(QVariant, data);
        QFETCH(QString, expected);
        RecordingHelpViewer viewer;
        app::TUseHTMLHelp help(viewer);
        QVERIFY(help.ApplicationHelp(app::TUseHTMLHelp::HelpCommand(command), data));
        QCOMPARE(viewer.calls, QStringList{expected});
    }

    void fontConversion()
    {
        FakeReport report;
        report.fonts = {u"Arial"_s, u"Arial CE"_s, u"Times New Roman"_s, u"Courier New CE"_s};
        app::PrevodPisma1(report);
        QCOMPARE(report.fonts,
                 (QStringList{u"Arial CE"_s, u"Arial CE"_s, u"Times New Roman CE"_s, u"Courier New CE"_s}));
        QCOMPARE(report.writes, 2);
        // Running it again changes nothing.
        app::PrevodPisma1(report);
        QCOMPARE(report.writes, 2);
    }
};

QTEST_GUILESS_MAIN(TestShell)
#include "test_shell.moc"
