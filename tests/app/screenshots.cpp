// Takes the README's screenshots and the pictures of the help's worked
// example through the program's own start: a data root with three
// settlements, the splash, the help window at a box and at a check, the
// settlement list as the start shows it, then the main window with the first
// settlement open, every editor, the print window with the preview of the
// printed form and the filing window. Not a test; run it by hand with the
// target folder as its argument (docs/screenshots, help/obrazky).

#include "RegistryFixture.h"
#include "ScriptedMessages.h"
#include "WindowPicture.h"
#include "app/Program.h"
#include "app/TMainForm.h"
#include "app/TSplashForm.h"
#include "company/TEprpForm.h"
#include "data/TDM1.h"
#include "data/Templates.h"
#include "filing/TEpoForm.h"
#include "platform/FileOps.h"
#include "platform/HelpViewer.h"
#include "print/TEmtfForm.h"
#include "print/TPrevForm.h"
#include "registry/SettlementList.h"
#include "settlement/AppPaths.h"
#include "statements/FormPages.h"
#include "statements/Recalc.h"
#include "statements/TEdvl1Form.h"
#include "statements/TEdvpaForm.h"
#include "statements/TEpkvForm.h"
#include "statements/TEpzForm.h"
#include "widgets/DbGrid.h"
#include "widgets/Editz.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

using testsupport::withCaption;

// The company data of the demo settlement, as an accountant fills them in.
void fillCompany(data::TDM1 &dm)
{
    const auto text = [&dm](const QString &field, const QString &value) {
        dm.field(u"Prp"_s + field)->setAsString(value);
    };
    const auto date = [&dm](const QString &field, QDate value) {
        dm.field(u"Prp"_s + field)->setAsDate(value);
    };
    const auto flag = [&dm](const QString &field) { dm.field(u"Prp"_s + field)->setAsBoolean(true); };
    text(u"Rok"_s, u"2015"_s);
    flag(u"Zdo"_s);
    date(u"Dz"_s, QDate(2015, 1, 1));
    date(u"Dk"_s, QDate(2015, 12, 31));
    flag(u"Dpdr1"_s);
    text(u"Fusp"_s, u"Jihomoravský kraj"_s);
    text(u"Fu"_s, u"Brno I"_s);
    text(u"Ojva"_s, u"společnost s ručením omezeným"_s);
    text(u"Npd"_s, u"Stavby Novák s.r.o."_s);
    text(u"Mi"_s, u"Hlavní 12, 602 00 Brno"_s);
    const int staff[] = {14, 14, 15, 15, 16, 17, 17, 17, 16, 16, 15, 15};
    for (int m = 1; m <= 12; ++m)
        dm.field(u"PrpZ"_s + QString::number(m))->setAsInteger(staff[m - 1]);
    text(u"Kzs"_s, u"1"_s);
    text(u"Zjm"_s, u"Jan Novák"_s);
    text(u"Zde"_s, u"12.03.1968"_s);
    text(u"Zjv"_s, u"jednatel"_s);
    text(u"Ses"_s, u"Eva Malá"_s);
    text(u"Tel"_s, u"543210987"_s);
    date(u"Dv"_s, QDate(2016, 2, 15));
    text(u"Emlv"_s, u"mzdy@stavby-novak.cz"_s);
    dm.field(u"PrpOp"_s)->setAsInteger(1);
    flag(u"Dpdr2"_s);
    text(u"Ojs"_s, u"Stavby Novák s.r.o."_s);
    text(u"Ojsb"_s, u"společnost s ručením omezeným"_s);
    text(u"Adrb"_s, u"Hlavní 12, 602 00 Brno"_s);
    text(u"Vses"_s, u"Eva Malá"_s);
    text(u"Telx"_s, u"543210987"_s);
    text(u"Emlx"_s, u"mzdy@stavby-novak.cz"_s);
    date(u"Dvs"_s, QDate(2016, 3, 31));
    text(u"Kzsa"_s, u"1"_s);
    text(u"Zjms"_s, u"Jan Novák"_s);
    text(u"Zdes"_s, u"12.03.1968"_s);
    text(u"Zjvs"_s, u"jednatel"_s);
}

// Two corrections of advances and one of the tax bonus.
void fillAnnexes(data::TDM1 &dm)
{
    const auto set = [&dm](const QString &field, const QString &text) { dm.field(field)->setText(text); };
    dm.Vpkv().edit();
    set(u"VpkvZ1"_s, u"Z"_s);
    set(u"VpkvN11"_s, u"03/2015"_s);
    set(u"VpkvN12"_s, u"15.04.2015"_s);
    set(u"VpkvN13"_s, u"05/2015"_s);
    set(u"VpkvN14"_s, u"20.06.2015"_s);
    set(u"VpkvC15"_s, u"1250"_s);
    set(u"VpkvZ2"_s, u"D"_s);
    set(u"VpkvN21"_s, u"2014"_s);
    set(u"VpkvN22"_s, u"15.03.2015"_s);
    set(u"VpkvN23"_s, u"04/2015"_s);
    set(u"VpkvN24"_s, u"20.05.2015"_s);
    set(u"VpkvC25"_s, u"-430"_s);
    dm.Vpkv().post();
    dm.Vpkb().edit();
    set(u"VpkbM1"_s, u"M"_s);
    set(u"VpkbN11"_s, u"02/2015"_s);
    set(u"VpkbN12"_s, u"16.03.2015"_s);
    set(u"VpkbN13"_s, u"04/2015"_s);
    set(u"VpkbN14"_s, u"20.05.2015"_s);
    set(u"VpkbC16"_s, u"1117"_s);
    dm.Vpkb().post();
}

// Three places of work.
void fillPlaces(data::TDM1 &dm)
{
    struct Place
    {
        const char16_t *name, *town, *code, *district;
        int staff;
    };
    const Place places[] = {
        {u"Centrála", u"Brno", u"582786", u"Brno-město", 6},
        {u"Betonárna", u"Modřice", u"583391", u"Brno-venkov", 7},
        {u"Sklad", u"Kuřim", u"583171", u"Brno-venkov", 2},
    };
    for (const Place &p : places) {
        dm.Vpz().append();
        dm.field(u"VpzN3"_s)->setAsString(QString::fromUtf16(p.name));
        dm.field(u"VpzC4"_s)->setAsFloat(p.staff);
        dm.field(u"VpzN5"_s)->setAsString(QString::fromUtf16(p.town));
        dm.field(u"VpzN6"_s)->setAsString(QString::fromUtf16(p.code));
        dm.field(u"VpzN7"_s)->setAsString(QString::fromUtf16(p.district));
        dm.Vpz().post();
    }
}

// A year of a company with about twenty employees: monthly advances, a few
// refunds and bonuses, paid on time; both statements recomputed and posted
// as after a transfer from the payroll program.
void fillStatements(data::TDM1 &dm)
{
    const auto set = [&dm](const QString &name, double value) { dm.field(name)->setAsFloat(value); };
    dm.Vdvl().edit();
    for (int m = 1; m <= 12; ++m) {
        const QString month = QString::number(m);
        const double advance = 41000 + 350 * m + (m == 12 ? 6200 : 0);
        set(u"VdvlSl2"_s + month, advance);
        set(u"VdvlSl3"_s + month, advance);
        set(u"VdvlSlb5"_s + month, m % 3 == 0 ? 1117 : 0);
        set(u"VdvlSl9"_s + month, advance - (m % 3 == 0 ? 1117 : 0) - (m == 3 ? 2400 : 0));
    }
    set(u"VdvlSl53"_s, 2400);
    set(u"VdvlSlo37"_s, 1500);
    dm.field(u"VdvlSlc37"_s)->setAsString(u"č. j. 1234/15/3001-04"_s);
    set(u"VdvlC106"_s, 2400);
    set(u"VdvlC404"_s, 0);
    dm.field(u"VdvlMv1"_s)->setAsString(u"březen 2015"_s);
    set(u"VdvlVc1"_s, 2400);
    dm.field(u"VdvlPzp1"_s)->setAsString(u"neuplatněno"_s);
    dm.Vdvl().post();
    dm.Vdvs().edit();
    for (int m = 1; m <= 12; ++m) {
        const QString month = QString::number(m);
        const double withheld = m % 4 == 0 ? 1500 : 900;
        set(u"VdvsSl1"_s + month, withheld);
        set(u"VdvsSl2"_s + month, withheld);
        set(u"VdvsSl10"_s + month, withheld);
    }
    dm.Vdvs().post();
    statements::PrepocetVY(dm);
}

// Each page of a statement window, then the window closed.
void takePages(statements::StatementEditor *form, const QString &target, const QString &name)
{
    for (int page = 0; page < form->pages()->count(); ++page) {
        form->pages()->showPage(page);
        QApplication::processEvents();
        withCaption(form).save(QDir(target).filePath(u"%1-%2.png"_s.arg(name).arg(page + 1)));
    }
    form->closeButton()->click();
}

// A new place of work whose municipality is being typed: the offers of the
// municipality list drawn over the window, where the popup stands.
void takeMunicipalityOffers(statements::TEpzForm *count, const QString &target)
{
    QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
    QApplication::sendEvent(count->grid(), &insert);
    widgets::TDBEditz *name = count->box(u"N5"_s);
    name->setFocus();
    for (const QChar c : u"Zdar"_s) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(name, &key);
    }
    QApplication::processEvents();
    QWidget *popup = count->municipalityCompleter()->popup();
    QImage picture = withCaption(count);
    const QPoint at = popup->mapToGlobal(QPoint()) - count->mapToGlobal(QPoint()) + QPoint(1, 26);
    QImage withPopup(picture.width(), std::max(picture.height(), at.y() + popup->height() + 1),
                     picture.format());
    withPopup.fill(Qt::white);
    QPainter p(&withPopup);
    p.drawImage(0, 0, picture);
    p.drawPixmap(at, popup->grab());
    p.end();
    withPopup.save(QDir(target).filePath(u"pocet-zamestnancu-obce.png"_s));
    popup->hide();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(name, &escape);
}

// Every page of the company data and the employee count, opened from the
// main window's menu as the user opens them.
void takeEditors(app::TMainForm *main, const QString &target)
{
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *company = qobject_cast<company::TEprpForm *>(modal)) {
            for (int page = 0; page < company::TEprpForm::PageCount; ++page) {
                company->showPage(page);
                QApplication::processEvents();
                withCaption(company).save(QDir(target).filePath(u"udaje-o-firme-%1.png"_s.arg(page + 1)));
            }
            company->okButton()->click();
        } else if (auto *employment = qobject_cast<statements::TEdvl1Form *>(modal)) {
            takePages(employment, target, u"vyuctovani-zavisla"_s);
        } else if (auto *corrections = qobject_cast<statements::TEpkvForm *>(modal)) {
            takePages(corrections, target, u"opravy"_s);
        } else if (auto *bonus = qobject_cast<statements::TEpkvbForm *>(modal)) {
            takePages(bonus, target, u"opravy-bonusu"_s);
        } else if (auto *withholding = qobject_cast<statements::TEdvpaForm *>(modal)) {
            takePages(withholding, target, u"vyuctovani-srazkou"_s);
        } else if (auto *count = qobject_cast<statements::TEpzForm *>(modal)) {
            QApplication::processEvents();
            withCaption(count).save(QDir(target).filePath(u"pocet-zamestnancu.png"_s));
            takeMunicipalityOffers(count, target);
            count->closeButton()->click();
        }
    });
    poll.start();
    main->action(app::Command::UdajeOFirme)->trigger();
    main->action(app::Command::PocetZamestnancu)->trigger();
    main->action(app::Command::DanZavisla)->trigger();
    main->action(app::Command::Opravy)->trigger();
    main->action(app::Command::OpravyBonusu)->trigger();
    main->action(app::Command::DanSrazkou)->trigger();
}

// The print window at the statement's first page, the preview of that page
// as it will be printed, and the filing window.
void takePrinting(app::TMainForm *main, const QString &target)
{
    QTimer poll;
    poll.setInterval(20);
    // Held weakly: the next window may take a closed one's address.
    QList<QPointer<QWidget>> taken;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || taken.contains(modal))
            return;
        taken.append(modal);
        if (auto *print = qobject_cast<print::TEmtfForm *>(modal)) {
            print->selectPage(1);
            QApplication::processEvents();
            withCaption(print).save(QDir(target).filePath(u"tisk.png"_s));
            QTimer::singleShot(0, print, [print] {
                print->previewButton()->click();
                print->reject();
            });
        } else if (auto *preview = qobject_cast<print::TPrevForm *>(modal)) {
            QTimer::singleShot(300, preview, [preview, &target] {
                withCaption(preview).save(QDir(target).filePath(u"nahled.png"_s));
                preview->reject();
            });
        } else if (auto *filing = qobject_cast<filing::TEpoForm *>(modal)) {
            QApplication::processEvents();
            withCaption(filing).save(QDir(target).filePath(u"elektronicke-podani.png"_s));
            QTimer::singleShot(0, filing, [filing] { filing->reject(); });
        }
    });
    poll.start();
    main->action(app::Command::Tisk)->trigger();
    main->action(app::Command::ElektronickePodani)->trigger();
}

void makeSettlements(const QString &root)
{
    QString fileDir = root;
    platform::ScriptedMessages messages;
    data::TDM1 dm{data::Collaborators::tablesOnly()};
    dm.DM1Create(root);
    const QStringList names = {u"Stavby Novák s.r.o."_s, u"Pekárna Dvořák"_s, u"Účetní kancelář"_s};
    registry::test::createSettlements({root, fileDir, u"215"_s}, messages, dm.openOptions(), names);
    // The first company's name, for the caption.
    dm.setDatabasePath(root + u"D1"_s);
    dm.OtevritTabulky();
    dm.Prp().edit();
    dm.field(u"PrpOjv"_s)->setAsString(names.first());
    dm.field(u"PrpDic"_s)->setAsString(u"CZ12345678"_s);
    fillCompany(dm);
    dm.Prp().post();
    fillPlaces(dm);
    fillAnnexes(dm);
    fillStatements(dm);
    dm.Disconnect();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir common;
    qputenv("QESTO_COMMON_APPDATA", QFile::encodeName(common.path()));
    if (qEnvironmentVariableIsEmpty("QESTO_MESSAGES_LOG"))
        qputenv("QESTO_MESSAGES_LOG", QFile::encodeName(common.filePath(u"messages.log"_s)));
    QApplication application(argc, argv);
    const QString target = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(target);

    const QString root =
        platform::FileOps::withTrailingSeparator(common.path()) + settlement::AppPaths::defaultSubdirectory();
    if (const QString error = data::createDataRoot(root); !error.isEmpty()) {
        qWarning("%s", qPrintable(error));
        return 2;
    }
    makeSettlements(root);

    {
        app::TSplashForm splash;
        splash.showNow();
        splash.grab().save(QDir(target).filePath(u"uvodni-okno.png"_s));
    }
    {
        platform::HelpViewer help(QStringLiteral(QESTO_HELP_DIR));
        help.resize(900, 560);
        help.showContext(16);
        help.showKeyword(u"Přeplatky"_s);
        withCaption(&help).save(QDir(target).filePath(u"napoveda.png"_s));
        // F1 in a box and on a finding of the checks.
        if (auto *search = help.findChild<QLineEdit *>(u"search"_s))
            search->clear();
        help.showAnchor(u"vdvl-sl9"_s, 19);
        withCaption(&help).save(QDir(target).filePath(u"napoveda-policko.png"_s));
        help.showAnchor(u"kontrola-program.kod_obce"_s, 48);
        withCaption(&help).save(QDir(target).filePath(u"napoveda-kontrola.png"_s));
        help.closeAll();
    }

    app::Program program;
    bool listTaken = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *list = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!list || listTaken)
            return;
        listTaken = true;
        withCaption(list).save(QDir(target).filePath(u"seznam-qesto.png"_s));
        list->accept();
    });
    poll.start();
    program.start();
    app::TMainForm *main = program.mainWindow();
    QObject::connect(main, &app::TMainForm::startupFinished, [&] {
        QTimer::singleShot(200, [&] {
            QStatusTipEvent hint(u"Vyúčtování daně z příjmů ze závislé činnosti"_s);
            QApplication::sendEvent(main, &hint);
            main->setStatusText(1, u"1/1"_s);
            withCaption(main).save(QDir(target).filePath(u"hlavni-okno.png"_s));
            takeEditors(main, target);
            takePrinting(main, target);
            main->close();
        });
    });
    return QApplication::exec();
}
