// The employee count's first page: places of work numbered into sheets of 18
// rows, the last sheet filled up with dashed rows, the number of sheets in
// the head, all in memory (the settlement's files stay as they are, also in a
// read-only folder); the second page with the signatory block.
#include "demo_settlement.h"
#include "print/FormPages.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The texts of every element of the given name on a sheet, top to bottom.
QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList column(const print::PreparedPage &sheet, const QString &name)
{
    QStringList texts;
    for (const print::Element &e : sheet.items) {
        if (e.name == name)
            texts.append(e.text);
    }
    return texts;
}

} // namespace

class TestEmployeeCountPages : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nineteenPlacesGiveTwoSheets();
    void noPlacesGiveOneSheetOfFillerRows();
    void signatoryPage();
    void statusBarLeftAloneWhileNumbering();
    void printsFromAReadOnlyFolderWithoutWriting();

private:
    void setPlaces(int count);
    int vpzRows();

    std::unique_ptr<printtest::Demo> m_demo;
};

void TestEmployeeCountPages::init()
{
    m_demo = std::make_unique<printtest::Demo>();
}

void TestEmployeeCountPages::cleanup()
{
    m_demo.reset();
}

void TestEmployeeCountPages::setPlaces(int count)
{
    data::Dataset &vpz = m_demo->dm.Vpz();
    while (!vpz.isEmpty()) {
        vpz.first();
        vpz.deleteRecord();
    }
    for (int i = 1; i <= count; ++i) {
        vpz.append();
        printtest::set(m_demo->dm, u"VpzN3"_s, u"Místo %1"_s.arg(i));
        printtest::set(m_demo->dm, u"VpzC4"_s, double(i));
        printtest::set(m_demo->dm, u"VpzN5"_s, u"Brno"_s);
        printtest::set(m_demo->dm, u"VpzN6"_s, u"582786"_s);
        printtest::set(m_demo->dm, u"VpzN7"_s, u"Brno-město"_s);
        vpz.post();
    }
}

int TestEmployeeCountPages::vpzRows()
{
    data::Dataset &vpz = m_demo->dm.Vpz();
    vpz.refresh();
    return vpz.recordCount();
}

void TestEmployeeCountPages::nineteenPlacesGiveTwoSheets()
{
    setPlaces(19);
    const QByteArray vpz = bytes(m_demo->dir + u"/Vpz.DB"_s);
    const QByteArray prp = bytes(m_demo->dir + u"/Prp.DB"_s);
    const QList<print::PreparedPage> sheets = m_demo->pages->produce(6);
    QCOMPARE(sheets.size(), 2);

    const QStringList first = column(sheets[0], u"QRDBTextN3"_s);
    QCOMPARE(first.size(), 18);
    QCOMPARE(first.front(), u"Místo 1"_s);
    QCOMPARE(first.back(), u"Místo 18"_s);
    QCOMPARE(column(sheets[0], u"QRDBTextCit"_s).back(), u"18."_s);

    const QStringList second = column(sheets[1], u"QRDBTextN3"_s);
    QCOMPARE(second.size(), 18);
    QCOMPARE(second.front(), u"Místo 19"_s);
    QCOMPARE(second.count(u"-----"_s), 17);
    QCOMPARE(column(sheets[1], u"QRDBTextC4a"_s).mid(1), QStringList(17, u"-----"_s));
    QCOMPARE(column(sheets[1], u"QRDBTextC4a"_s).front(), u"19"_s);
    QCOMPARE(column(sheets[1], u"QRDBTextCit"_s).mid(0, 2), (QStringList{u"1."_s, u"2."_s}));

    // Sheet number and count in the head, sheet number at the foot.
    QCOMPARE(sheets[1].text(u"QRDBTextPn"_s), u"2"_s);
    QCOMPARE(sheets[1].text(u"QRSysDataList"_s), u"2"_s);
    QCOMPARE(sheets[1].text(u"QRDBTextCislo"_s), u"2"_s);
    QCOMPARE(sheets[0].text(u"QRDBTextCislo"_s), u"1"_s);

    // Nothing was written: no filler row, no numbering, no sheet count.
    QCOMPARE(vpzRows(), 19);
    QCOMPARE(bytes(m_demo->dir + u"/Vpz.DB"_s), vpz);
    QCOMPARE(bytes(m_demo->dir + u"/Prp.DB"_s), prp);
}

void TestEmployeeCountPages::noPlacesGiveOneSheetOfFillerRows()
{
    setPlaces(0);
    const QList<print::PreparedPage> sheets = m_demo->pages->produce(6);
    QCOMPARE(sheets.size(), 1);
    QCOMPARE(column(sheets[0], u"QRDBTextN3"_s), QStringList(18, u"-----"_s));
    QCOMPARE(column(sheets[0], u"QRDBTextN6"_s), QStringList(18, u"-----"_s));
    QCOMPARE(column(sheets[0], u"QRDBTextC4a"_s), QStringList(18, u"-----"_s));
    QCOMPARE(sheets[0].text(u"QRDBTextPn"_s), u"1"_s);
    QCOMPARE(column(sheets[0], u"QRDBTextCit"_s).back(), u"18."_s);
    QCOMPARE(sheets[0].text(u"QRDBTextCislo"_s), u"1"_s);
    QCOMPARE(vpzRows(), 0);
}

void TestEmployeeCountPages::printsFromAReadOnlyFolderWithoutWriting()
{
    setPlaces(20);
    m_demo->dm.Disconnect();
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    QVERIFY(QFile::setPermissions(m_demo->dir, readOnly));
    QFile probe(m_demo->dir + u"/probe"_s);
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QFile::setPermissions(m_demo->dir, readOnly | QFileDevice::WriteOwner);
        QSKIP("Running with rights that write into read-only folders.");
    }
    m_demo->dm.OtevritTabulky();
    const QList<print::PreparedPage> sheets = m_demo->pages->produce(6);
    QFile::setPermissions(m_demo->dir, readOnly | QFileDevice::WriteOwner);
    QCOMPARE(sheets.size(), 2);
    QCOMPARE(column(sheets[1], u"QRDBTextN3"_s).mid(2), QStringList(16, u"-----"_s));
}

void TestEmployeeCountPages::signatoryPage()
{
    const QList<print::PreparedPage> sheets = m_demo->pages->produce(7);
    QCOMPARE(sheets.size(), 1);
    QCOMPARE(sheets[0].text(u"QRLabelKzs1"_s), QString());
    QCOMPARE(sheets[0].text(u"QRLabelKzs2"_s), u"1"_s);
    QCOMPARE(sheets[0].text(u"QRLabelZjm1"_s), u"J"_s);
    QCOMPARE(sheets[0].text(u"QRLabelDv1"_s) + sheets[0].text(u"QRLabelDv2"_s), u"15"_s);

    // The head of page 6 carries the payer of the employee count form.
    const QList<print::PreparedPage> first = m_demo->pages->produce(6);
    QCOMPARE(first[0].text(u"QRLabelNp1"_s), u"S"_s);
    QCOMPARE(first[0].text(u"QRLabelDic1"_s) + first[0].text(u"QRLabelDic2"_s), u"CZ"_s);
    QCOMPARE(first[0].text(u"QRDBTextRok"_s), u"2015"_s);
}

// The print window switches the employee list's status display off, so the
// numbering into sheets does not show record positions.
void TestEmployeeCountPages::statusBarLeftAloneWhileNumbering()
{
    setPlaces(3);
    const int reported = m_demo->status.events;
    m_demo->dm.setVpzStatusShown(false);
    QCOMPARE(m_demo->pages->produce(6).size(), 1);
    QCOMPARE(m_demo->status.events, reported);
    m_demo->dm.setVpzStatusShown(true);
    setPlaces(1);
    QCOMPARE(m_demo->status.position, statustest::at(1, 1));
}

QTEST_MAIN(TestEmployeeCountPages)
#include "test_employee_count_pages.moc"
