#include "transfer/TEsfForm.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace transfer {

namespace {

QLineEdit *readOnlyBox(QWidget *parent, const QString &name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

bool plainEnter(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           !(key->modifiers() & Qt::ShiftModifier);
}

bool shiftEnter(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & Qt::ShiftModifier);
}

QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(u"dd.MM.yyyy"_s) : QString();
}

} // namespace

TEsfForm::TEsfForm(TransferEnvironment env, QWidget *parent) : QDialog(parent), m_session(std::move(env))
{
    setObjectName(u"EsfForm"_s);
    setWindowTitle(u"Přenos údajů z programu Gavrel"_s);
    setProperty("helpContext", 33);
    auto *layout = new QGridLayout(this);

    m_path = new QLineEdit(this);
    m_path->setObjectName(u"EditGavrel"_s);
    m_path->setToolTip(u"Cesta k datovému souboru programu Gavrel"_s);
    m_path->installEventFilter(this);
    m_browse = new QToolButton(this);
    m_browse->setObjectName(u"BitBtnAdr1"_s);
    m_browse->setText(u"..."_s);
    m_browse->setToolTip(u"Výběr adresáře"_s);
    connect(m_browse, &QToolButton::clicked, this, &TEsfForm::BitBtnAdr1Click);
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    layout->addLayout(pathRow, 0, 0, 1, 4);

    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(u"DBGridAuto1"_s);
    m_grid->setHorizontalHeaderLabels({u"Číslo"_s, u"Název"_s, u"Adresář"_s});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setMinimumHeight(180);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (!m_filling && row >= 0) {
            m_session.setCurrentIndex(row);
            showCurrent();
        }
    });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { CopyButtonClick(); });
    layout->addWidget(m_grid, 1, 0, 1, 4);

    m_ico = readOnlyBox(this, u"DBEditIco"_s);
    m_dic = readOnlyBox(this, u"DBEditDic"_s);
    m_fa1 = readOnlyBox(this, u"DBEditFa1"_s);
    m_dzr = readOnlyBox(this, u"DBEditDzr"_s);
    m_dkr = readOnlyBox(this, u"DBEditDkr"_s);
    layout->addWidget(new QLabel(u"IČO"_s, this), 2, 0);
    layout->addWidget(m_ico, 2, 1);
    layout->addWidget(new QLabel(u"DIČ"_s, this), 2, 2);
    layout->addWidget(m_dic, 2, 3);
    layout->addWidget(new QLabel(u"Firma"_s, this), 3, 0);
    layout->addWidget(m_fa1, 3, 1, 1, 3);
    auto *period = new QHBoxLayout;
    period->addWidget(new QLabel(u"od"_s, this));
    period->addWidget(m_dzr);
    period->addWidget(new QLabel(u"do"_s, this));
    period->addWidget(m_dkr);
    layout->addWidget(new QLabel(u"Období"_s, this), 4, 0);
    layout->addLayout(period, 4, 1, 1, 3);

    m_firma = new QCheckBox(u"Přenést údaje o firmě"_s, this);
    m_firma->setObjectName(u"CheckBoxFirma"_s);
    m_firma->setToolTip(u"Zvolte, zda chcete přenést z programu Gavrel údaje o firmě"_s);
    m_firma->installEventFilter(this);
    layout->addWidget(m_firma, 5, 0, 1, 4);

    m_copy = new QPushButton(u"&Přenést"_s, this);
    m_copy->setObjectName(u"CopyButton"_s);
    m_copy->setToolTip(u"Přenese údaje z programu Gavrel"_s);
    m_copy->setEnabled(false);
    m_copy->setAutoDefault(false);
    connect(m_copy, &QPushButton::clicked, this, &TEsfForm::CopyButtonClick);
    m_close = new QPushButton(u"&Zavřít"_s, this);
    m_close->setObjectName(u"CloseButton"_s);
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_copy);
    buttons->addWidget(m_close);
    layout->addLayout(buttons, 6, 0, 1, 4);

    const QScreen *screen = QGuiApplication::primaryScreen();
    move(m_session.position(screen ? screen->geometry().width() : 1024));
    m_path->setText(m_session.initialPath());
}

TEsfForm::~TEsfForm() = default;

QLineEdit *TEsfForm::detail(const QString &name) const
{
    return findChild<QLineEdit *>(name);
}

void TEsfForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        showCompanies();
    }
}

void TEsfForm::fillGrid()
{
    m_filling = true;
    const QList<PayrollCompany> &list = m_session.companies();
    m_grid->setRowCount(int(list.size()));
    for (int row = 0; row < list.size(); ++row) {
        m_grid->setItem(row, 0, new QTableWidgetItem(QString::number(list[row].Cislo)));
        m_grid->setItem(row, 1, new QTableWidgetItem(list[row].Nazev));
        m_grid->setItem(row, 2, new QTableWidgetItem(list[row].Adresar));
    }
    if (m_session.currentIndex() >= 0)
        m_grid->setCurrentCell(m_session.currentIndex(), 0);
    m_filling = false;
}

void TEsfForm::showCurrent()
{
    const CompanyHeader &h = m_session.header();
    m_ico->setText(h.Ico);
    m_dic->setText(h.Dic);
    m_fa1->setText(h.Fa1);
    m_dzr->setText(dateText(h.Dzr));
    m_dkr->setText(dateText(h.Dkr));
    m_firma->setChecked(m_session.companyDataChoice());
}

void TEsfForm::showCompanies()
{
    const bool ok = m_session.showCompanies(m_path->text());
    fillGrid();
    showCurrent();
    m_copy->setEnabled(ok);
    if (ok)
        m_grid->setFocus();
    else
        m_path->setFocus();
}

void TEsfForm::BitBtnAdr1Click()
{
    const QString chosen = QFileDialog::getOpenFileName(
        this, QString(), m_session.dialogDirectory(m_path->text()) + u"Data.DB"_s,
        u"datové soubory (*.DB);;všechny soubory (*.*)"_s);
    if (chosen.isEmpty())
        return;
    m_path->setText(QDir::toNativeSeparators(chosen));
    showCompanies();
}

void TEsfForm::CopyButtonClick()
{
    if (!m_copy->isEnabled())
        return;
    // The choice counts as left when the transfer starts from the keyboard.
    if (m_session.listOpen() && m_firma->isChecked() != m_session.companyDataChoice())
        m_session.storeCompanyDataChoice(m_firma->isChecked());
    if (m_session.transfer())
        accept();
}

bool TEsfForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_path && plainEnter(event)) {
        showCompanies();
        return true;
    }
    if (watched == m_grid && plainEnter(event)) {
        CopyButtonClick();
        return true;
    }
    if (watched == m_firma) {
        if (event->type() == QEvent::FocusOut && m_session.listOpen())
            m_session.storeCompanyDataChoice(m_firma->isChecked());
        if (plainEnter(event)) {
            (m_copy->isEnabled() ? static_cast<QWidget *>(m_copy) : m_close)->setFocus();
            return true;
        }
        if (shiftEnter(event)) {
            m_grid->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TEsfForm::done(int result)
{
    m_session.storePosition(pos());
    m_path->setText(m_session.close(m_path->text()));
    QDialog::done(result);
}

} // namespace transfer
