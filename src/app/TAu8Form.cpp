#include "app/TAu8Form.h"

#include "platform/FileOps.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
namespace FileOps = platform::FileOps;

namespace app {

TAu8Form::TAu8Form(settlement::Conversion &conversion, const settlement::AppPaths &paths, QWidget *parent)
    : QDialog(parent), m_conversion(conversion), m_paths(paths)
{
    setObjectName(u"Au8Form"_s);
    setWindowTitle(u"Převod dat z předchozích verzí"_s);
    setProperty("helpContext", 42);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(u"Předchozí verzi programu Qesto máte nainstalovanou v níže uvedeném adresáři."_s, this));
    layout->addWidget(
        new QLabel(u"Tlačítkem výběr adresáře můžete vybrat jiný adresář s programem."_s, this));
    auto *row = new QHBoxLayout;
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(u"Edit1"_s);
    m_edit->setToolTip(u"Cesta k předchozí verzi programu Qesto"_s);
    m_edit->setMinimumWidth(380);
    auto *browse = new QToolButton(this);
    browse->setObjectName(u"BitBtnAdr1"_s);
    browse->setText(u"..."_s);
    browse->setToolTip(u"Výběr adresáře"_s);
    connect(browse, &QToolButton::clicked, this, &TAu8Form::chooseFile);
    row->addWidget(m_edit, 1);
    row->addWidget(browse);
    layout->addLayout(row);
    m_convert = new QCheckBox(u"Převést data"_s, this);
    m_convert->setToolTip(u"Zaškrtnuto převést data z předchozí verze"_s);
    m_newYear = new QCheckBox(u"Provést akci nový rok"_s, this);
    m_newYear->setToolTip(u"Zaškrtnuto automaticky provést akci nový rok"_s);
    layout->addWidget(m_convert);
    layout->addWidget(m_newYear);
    m_ok = new QPushButton(u"&OK"_s, this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(m_ok, 0, Qt::AlignHCenter);
}

void TAu8Form::ask(settlement::ConversionState &state)
{
    m_edit->setText(state.candidate);
    m_convert->setChecked(state.convertData);
    m_newYear->setChecked(state.newYear);
    QDialog::exec();
}

void TAu8Form::chooseFile()
{
    const QString current = m_edit->text();
    QString start = FileOps::withoutTrailingSeparator(QFileInfo(FileOps::resolve(current)).absolutePath());
    if (current.isEmpty() || !FileOps::dirExists(start))
        start = m_paths.DirTyp2(current, m_paths.DirTyp(platform::DialogStart::DataRootParent, current));
    const QString chosen = QFileDialog::getOpenFileName(this, QString(), FileOps::resolve(start),
                                                        u"datové soubory (Data.DB);;všechny soubory (*.*)"_s);
    if (chosen.isEmpty())
        return;
    const QString path = QDir::toNativeSeparators(chosen);
    m_edit->setText(m_conversion.acceptChosenFile(path) ? path : m_conversion.state().candidate);
}

void TAu8Form::done(int result)
{
    // Escape closes like OK: the state is taken from the window either way.
    if (!m_conversion.acceptClose(m_edit->text())) {
        m_edit->setText(m_conversion.state().candidate);
        m_edit->setFocus();
        return;
    }
    m_conversion.windowClosed(m_edit->text(), m_convert->isChecked(), m_newYear->isChecked());
    QDialog::done(result);
}

} // namespace app
