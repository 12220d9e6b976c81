// Takes the README's screenshots through the program's own start: a data
// root with three settlements, the splash, the help window, the settlement list as the start shows it,
// then the main window with the first settlement open. Not a test; run it
// by hand with the target folder as its argument.

#include "app/AppPaths.h"
#include "app/Program.h"
#include "app/TMainForm.h"
#include "app/TSplashForm.h"
#include "data/TDM1.h"
#include "data/Templates.h"
#include "platform/FileOps.h"
#include "platform/HelpViewer.h"
#include "platform/Messages.h"
#include "registry/SettlementList.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPainter>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

// The offscreen platform draws no window frame; the caption is drawn above
// the window so the picture shows it.
QImage withCaption(QWidget *window)
{
    const QPixmap body = window->grab();
    const int bar = 26;
    QImage image(body.width() + 2, body.height() + bar + 1, QImage::Format_RGB32);
    image.fill(QColor(64, 84, 128));
    QPainter p(&image);
    p.drawPixmap(1, bar, body);
    QFont f = window->font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 0, image.width() - 20, bar), Qt::AlignVCenter | Qt::AlignLeft,
               window->windowTitle());
    return image;
}

void makeSettlements(const QString &root)
{
    QString fileDir = root;
    platform::ScriptedMessages messages;
    data::TDM1 dm;
    dm.DM1Create(root);
    registry::SettlementList list({root, fileDir, u"215"_s}, messages);
    list.setOpenOptions(dm.openOptions());
    list.attach();
    const QStringList names = {u"Stavby Novák s.r.o."_s, u"Pekárna Dvořák"_s, u"Účetní kancelář"_s};
    for (const QString &name : names) {
        const registry::NewSettlement draft = list.prepareNew();
        list.create(draft, name);
    }
    list.close();
    // The first company's name, for the caption.
    dm.setDatabasePath(root + u"D1"_s);
    dm.OtevritTabulky();
    dm.Prp().edit();
    dm.field(u"PrpOjv"_s)->setAsString(names.first());
    dm.field(u"PrpDic"_s)->setAsString(u"CZ12345678"_s);
    dm.Prp().post();
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
        platform::FileOps::withTrailingSeparator(common.path()) + app::AppPaths::defaultSubdirectory();
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
            main->close();
        });
    });
    return QApplication::exec();
}
