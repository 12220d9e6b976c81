#include "ScriptedMessages.h"
#include "platform/IniFile.h"
#include "print/TPrevForm.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

print::PreviewRequest request(int sheets, print::BrowseState *browse = nullptr)
{
    print::PreviewRequest r;
    r.job = {u"Strana"_s, sheets, [](QPainter &, const QRectF &, int) {}};
    r.statusLine = u"Bude vytištěna zobrazená stránka."_s;
    r.browse = browse;
    return r;
}

// Shortcuts reach only the active window.
void activate(print::TPrevForm &f)
{
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
}

bool enabled(const print::TPrevForm &f, int i)
{
    return f.navigationButton(i)->isEnabled();
}

} // namespace

// The preview: paging through sheets, browsing a statement's pages (the
// navigation closes it with the next page chosen), the zoom entry and the
// zoom kept in the settlement's INI file, printing from the preview.
class TestPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void onePageDisablesNavigation();
    void sheetsOfOneReport();
    void browsingLastPage();
    void opensMaximisedOverItsPlace();
    void closingEndsBrowsing();
    void zoomEntries();
    void printingFromThePreview();
};

void TestPreview::onePageDisablesNavigation()
{
    platform::ScriptedMessages messages;
    print::TPrevForm form(messages);
    QString label;
    QList<bool> nav;
    form.onShown = [&](print::TPrevForm &f) {
        label = f.pageLabel()->text();
        for (int i = 0; i < 4; ++i)
            nav.append(enabled(f, i));
        activate(f);
        QTest::keyClick(&f, Qt::Key_PageDown);
        label += u'|' + f.pageLabel()->text();
        f.reject();
    };
    form.showPreview(request(1));
    QCOMPARE(label, u"Strana 1 z 1|Strana 1 z 1"_s);
    QCOMPARE(nav, (QList<bool>{false, false, false, false}));
    QCOMPARE(form.windowTitle(), u"Qesto - Náhled před tiskem"_s);
}

void TestPreview::sheetsOfOneReport()
{
    platform::ScriptedMessages messages;
    print::TPrevForm form(messages);
    QStringList seen;
    form.onShown = [&](print::TPrevForm &f) {
        const auto note = [&] {
            QString s = f.pageLabel()->text() + u' ';
            for (int i = 0; i < 4; ++i)
                s += enabled(f, i) ? u'1' : u'0';
            seen.append(s);
        };
        activate(f);
        note();
        QTest::keyClick(&f, Qt::Key_PageDown);
        note();
        QTest::keyClick(&f, Qt::Key_End, Qt::ControlModifier);
        note();
        QTest::keyClick(&f, Qt::Key_PageUp);
        note();
        f.reject();
    };
    form.showPreview(request(3));
    QCOMPARE(seen, (QStringList{u"Strana 1 z 3 0011"_s, u"Strana 2 z 3 1111"_s, u"Strana 3 z 3 1100"_s,
                                u"Strana 2 z 3 1111"_s}));
}

void TestPreview::browsingLastPage()
{
    platform::ScriptedMessages messages;
    print::TPrevForm form(messages);
    print::BrowseState state{true, 4, 3, 5, 0, 1, 4};
    QList<bool> nav;
    QString label;
    form.onShown = [&](print::TPrevForm &f) {
        for (int i = 0; i < 4; ++i)
            nav.append(enabled(f, i));
        label = f.pageLabel()->text();
        f.navigate(2); // Next does not apply: nothing happens
        QVERIFY(f.isVisible());
        f.navigate(1);
    };
    form.showPreview(request(1, &state));
    QCOMPARE(label, u"Strana 4 z 4"_s);
    QCOMPARE(nav, (QList<bool>{true, true, false, false}));
    QCOMPARE(state.current, 3);
}

// The preview opens maximised; restored, it has the size of its first
// showing at the screen's top-left corner, not what its contents ask for.
void TestPreview::opensMaximisedOverItsPlace()
{
    platform::ScriptedMessages messages;
    print::TPrevForm form(messages);
    QRect normal;
    QSize least;
    bool maximised = false;
    form.onShown = [&](print::TPrevForm &f) {
        maximised = f.isMaximized();
        least = f.minimumSizeHint();
        f.showNormal();
        normal = QRect(f.pos(), f.size());
        f.close();
    };
    form.showPreview(request(1, nullptr));
    QVERIFY(maximised);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(normal.topLeft(), area.topLeft());
    // No smaller than its tool bar needs.
    const QSize placed(area.width() <= 640 ? 640 : 800, area.height() <= 480 ? 453 : 573);
    QCOMPARE(normal.size(), placed.expandedTo(least));
}

void TestPreview::closingEndsBrowsing()
{
    platform::ScriptedMessages messages;
    print::TPrevForm form(messages);
    print::BrowseState state{true, 16, 15, 17, 14, 15, 18};
    form.onShown = [](print::TPrevForm &f) { f.close(); };
    form.showPreview(request(1, &state));
    QCOMPARE(state.current, 0);
}

void TestPreview::zoomEntries()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"D1.ini"_s);
    platform::ScriptedMessages messages;
    print::TPrevForm form(messages);
    form.iniPath = [ini] { return ini; };
    QList<int> zooms;
    form.onShown = [&](print::TPrevForm &f) {
        zooms.append(f.zoom());
        f.zoomEntered(u"120"_s);
        zooms.append(f.zoom());
        f.zoomEntered(u"600%"_s);
        zooms.append(f.zoom());
        f.zoomEntered(u"abc"_s);
        zooms.append(f.zoom());
        f.zoomEntered(u"75%"_s);
        zooms.append(f.zoom());
        f.reject();
    };
    form.showPreview(request(1));
    QCOMPARE(zooms, (QList<int>{100, 120, 120, 120, 75}));
    QCOMPARE(messages.texts(), QStringList{u"Číslo může být maximálně 500."_s});
    QCOMPARE(platform::IniFile(ini).readInteger(u"Tisk", u"Nahled", 0), 75);

    form.onShown = [&](print::TPrevForm &f) {
        zooms.append(f.zoom());
        QCOMPARE(f.zoomBox()->currentText(), u"75%"_s);
        f.reject();
    };
    form.showPreview(request(1));
    QCOMPARE(zooms.back(), 75);
}

void TestPreview::printingFromThePreview()
{
    platform::ScriptedMessages messages;
    print::TPrevForm form(messages);
    int printed = 0;
    print::PreviewRequest r = request(2);
    r.print = [&printed] { ++printed; };
    form.onShown = [&](print::TPrevForm &f) {
        activate(f);
        QTest::keyClick(&f, Qt::Key_F6);
        QTest::mouseClick(f.printButton(), Qt::LeftButton);
        QVERIFY(f.isVisible());
        f.reject();
    };
    form.showPreview(r);
    QCOMPARE(printed, 2);
}

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
