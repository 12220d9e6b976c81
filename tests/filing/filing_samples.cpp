// The export window's screenshot and the sample filings for the
// documentation (run by hand: filing_samples <docs folder>). The window is
// shown for a settlement whose address lacks its postcode, so the picture
// shows a question being answered.
#include "DemoSettlement.h"

#include "ScriptedMessages.h"
#include "WindowPicture.h"
#include "filing/TEpoForm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;

using testsupport::withCaption;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("Použití: filing_samples SLOŽKA_DOKUMENTACE\n", stderr);
        return 2;
    }
    const QDir docs(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir root;
    filingtest::DemoSettlement s(root.path());
    s.fill();
    platform::ScriptedMessages messages;
    const filing::Software software{u"Qesto"_s, u"14.10"_s};

    // The sample files, exported as the window exports them.
    for (const filing::Form form : {filing::Form::Employment, filing::Form::Withholding}) {
        QElapsedTimer timer;
        timer.start();
        const filing::Snapshot snap = filing::readSnapshot(s.dm);
        const filing::Resolution r = filing::resolve(form, snap, filing::CodeLists::builtIn(), {});
        const filing::ExportResult result =
            filing::exportEpo(form, snap, r.filer(), software,
                              docs.filePath(u"ukazka-"_s + filing::formCode(form) + u".xml"_s));
        if (!result.written) {
            std::fputs(qPrintable(result.reasons.join(u'\n') + result.writeError), stderr);
            return 1;
        }
        // The whole export as the window runs it: reading, writing, checking (the
        // first one parses the schema), saving.
        std::printf("%s: %lld ms\n", qPrintable(filing::formCode(form)), qint64(timer.elapsed()));
    }

    s.set(u"PrpMi"_s, u"Dlouhá 1234/5a, Praha 1"_s);
    s.postAll();
    filing::TEpoForm form(
        {s.dm, messages, filing::FilingAnswers::iniPathOf(s.dir), u"D1"_s, u"C:\\Users\\ucetni\\Documents"_s,
         software, [](filing::Form) {
             return QList<statements::FilingIssue>{
                 {statements::FilingPart::EmployeeCount,
                  u"Počet zaměstnanců: řádky 1, 6, 11, 16 mají stejný kód obce 554782; elektronické "
                  u"podání je uvede jako jeden řádek se součtem zaměstnanců."_s,
                  statements::Severity::Warning, u"DPZVD6.VetaB.c_obce_zuj"_s}};
         }});
    form.addressBox(3)->setText(u"110 00"_s);
    // The picture shows the folder a user of the program would see.
    form.fileEdit()->setText(u"C:\\Users\\ucetni\\Documents\\"_s +
                             filing::defaultFileName(filing::Form::Employment, filing::readSnapshot(s.dm)));
    form.show();
    QApplication::processEvents();
    withCaption(&form).save(docs.filePath(u"screenshots/elektronicke-podani.png"_s));
    return 0;
}
