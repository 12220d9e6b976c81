#include "TransferFixture.h"

#include "platform/IniFile.h"
#include "transfer/PayrollTransfer.h"
#include "transfer/TEsfForm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using payrolltest::Fixture;

class TestTransferWindow : public QObject
{
    Q_OBJECT

private slots:
    // The window over the session: the remembered company and its header,
    // the choice written when the box is left, the transfer ending with OK,
    // a wrong path refused.
    void transfersFromTheWindow()
    {
        Fixture f;
        QVERIFY(f.ok);
        QVERIFY(payrolltest::writeRows(f.payroll + u"/F2"_s, {{1, 100, false, 0, 0, 0, 100}}));
        platform::IniFile ini(f.settlement + u"/D1.ini"_s);
        ini.writeString(u"Prenos", u"Gavrel", QString(f.payroll + u"/Data.DB"_s));
        ini.writeInteger(u"Prenos", u"GavrelCislo", 2);

        transfer::TEsfForm form(f.environment());
        QCOMPARE(form.EditGavrel()->text(), f.payroll + u"/Data.DB"_s);
        QVERIFY(!form.CopyButton()->isEnabled());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.CopyButton()->isEnabled());
        QCOMPARE(form.DBGridAuto1()->rowCount(), 2);
        QCOMPARE(form.DBGridAuto1()->currentRow(), 1);
        QCOMPARE(form.detail(u"DBEditFa1"_s)->text(), u"Jan Novák - stavby Brno"_s);
        QCOMPARE(form.detail(u"DBEditDzr"_s)->text(), u"01.01.2015"_s);
        QVERIFY(!form.CheckBoxFirma()->isChecked());

        // Another company shows its own header.
        form.DBGridAuto1()->setCurrentCell(0, 0);
        QCOMPARE(form.detail(u"DBEditIco"_s)->text(), u"12345678"_s);
        QCOMPARE(form.detail(u"DBEditFa1"_s)->text(), u"Stavby Novák s.r.o."_s);
        form.DBGridAuto1()->setCurrentCell(1, 0);

        form.CheckBoxFirma()->setFocus();
        form.CheckBoxFirma()->setChecked(true);
        form.DBGridAuto1()->setFocus();
        QVERIFY(platform::IniFile(f.payroll + u"/F2/F2.ini"_s).readBool(u"Qesto", u"Firma", false));

        // A path that leads nowhere.
        const QString good = form.EditGavrel()->text();
        form.EditGavrel()->setText(f.tmp.filePath(u"x/Data.DB"_s));
        form.EditGavrel()->setFocus();
        QTest::keyClick(form.EditGavrel(), Qt::Key_Return);
        QVERIFY(f.messages.texts().last().startsWith(transfer::messages::cannotShow() + u'\n'));
        QVERIFY(!form.CopyButton()->isEnabled());
        form.EditGavrel()->setText(good);
        QTest::keyClick(form.EditGavrel(), Qt::Key_Return);
        QVERIFY(form.CopyButton()->isEnabled());

        f.messages.addAnswer(platform::IMessages::Answer::Yes);
        QTest::mouseClick(form.CopyButton(), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(f.messages.texts().last(), transfer::messages::done());
        QVERIFY(f.dm.Prp().fieldByName(u"Pfo"_s)->asBoolean());
        QCOMPARE(ini.readInteger(u"Prenos", u"GavrelCislo", 0), 2);
        QVERIFY(ini.valueExists(u"D1", u"Gavrel1Top"));
    }
};

QTEST_MAIN(TestTransferWindow)
#include "test_transfer_window.moc"
