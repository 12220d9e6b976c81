#include "filing/TEpoForm.h"

#include "data/DataError.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/HelpIndex.h"
#include "platform/IniFile.h"
#include "platform/Messages.h"
#include "widgets/HelpRequest.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace filing {

namespace {

QString title()
{
    return u"Elektronické podání (XML)"_s;
}

QString officeCaption(const Office &o)
{
    return u"%1 – %2"_s.arg(o.code).arg(o.name);
}

} // namespace

TEpoForm::TEpoForm(Context context, QWidget *parent) : QDialog(parent), m_context(std::move(context))
{
    setObjectName(u"TEpoForm"_s);
    setWindowTitle(title());
    build();
    try {
        m_snapshot = readSnapshot(m_context.dm);
    } catch (const platform::Error &e) {
        m_context.messages.error(e.message());
        m_export->setEnabled(false);
    }
    loadStatement();
    restorePlacement();
}

TEpoForm::~TEpoForm() = default;

void TEpoForm::build()
{
    auto *layout = new QVBoxLayout(this);

    auto *which = new QGroupBox(u"Vyúčtování"_s, this);
    auto *whichLayout = new QVBoxLayout(which);
    m_employment = new QRadioButton(formTitle(Form::Employment) + u" (DPZVD6) s přílohami"_s, which);
    m_withholding = new QRadioButton(formTitle(Form::Withholding) + u" (DPSVD2)"_s, which);
    m_employment->setChecked(true);
    whichLayout->addWidget(m_employment);
    whichLayout->addWidget(m_withholding);
    layout->addWidget(which);
    connect(m_employment, &QRadioButton::toggled, this, [this] { loadStatement(); });

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(u"Soubor:"_s, this));
    m_file = new QLineEdit(this);
    m_file->setObjectName(u"EditSoubor"_s);
    fileRow->addWidget(m_file, 1);
    auto *browse = new QPushButton(u"..."_s, this);
    browse->setToolTip(u"Vybrat soubor"_s);
    browse->setAutoDefault(false);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(u"...."_s) + 16);
    connect(browse, &QPushButton::clicked, this, &TEpoForm::browse);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);

    auto *office = new QGroupBox(u"Finanční úřad"_s, this);
    auto *officeForm = new QFormLayout(office);
    m_office = new QComboBox(office);
    m_office->setObjectName(u"ComboUrad"_s);
    m_office->addItem(u"(vyberte)"_s, 0);
    for (const Office &o : CodeLists::builtIn().offices())
        m_office->addItem(officeCaption(o), o.code);
    m_workplace = new QComboBox(office);
    m_workplace->setObjectName(u"ComboPracoviste"_s);
    officeForm->addRow(u"Finanční úřad:"_s, m_office);
    officeForm->addRow(u"Územní pracoviště:"_s, m_workplace);
    layout->addWidget(office);
    connect(m_office, &QComboBox::currentIndexChanged, this,
            [this] { fillWorkplaces(m_office->currentData().toInt(), m_workplace->currentData().toInt()); });

    auto *address = new QGroupBox(u"Adresa místa pobytu nebo sídlo"_s, this);
    auto *addressForm = new QFormLayout(address);
    m_addressSource = new QLabel(address);
    addressForm->addRow(u"V údajích o firmě:"_s, m_addressSource);
    const QStringList captions = {u"Ulice (obec, část obce):"_s, u"Číslo popisné:"_s, u"Číslo orientační:"_s,
                                  u"PSČ:"_s, u"Obec:"_s};
    const QList<int> lengths = {38, 6, 4, 6, 48}; // PSČ may be typed with its space
    for (qsizetype i = 0; i < captions.size(); ++i) {
        auto *box = new QLineEdit(address);
        box->setMaxLength(lengths[i]);
        m_address.append(box);
        addressForm->addRow(captions[i], box);
    }
    layout->addWidget(address);

    auto *signatory = new QGroupBox(u"Podepisující osoba"_s, this);
    m_signatoryBox = signatory;
    auto *signatoryForm = new QFormLayout(signatory);
    m_signatory = new QComboBox(signatory);
    m_signatory->setObjectName(u"ComboPodepisujici"_s);
    using statements::SignatoryKind;
    m_signatory->addItem(u"(vyberte)"_s, int(SignatoryKind::Unclear));
    m_signatory->addItem(u"právnická osoba, údaj je její IČ"_s, int(SignatoryKind::LegalPerson));
    m_signatory->addItem(u"fyzická osoba, údaj je datum narození"_s, int(SignatoryKind::BornOn));
    m_signatory->addItem(u"fyzická osoba, údaj je evidenční číslo osvědčení"_s,
                         int(SignatoryKind::Certificate));
    signatoryForm->addRow(u"Údaj znamená:"_s, m_signatory);
    layout->addWidget(signatory);

    m_question = new QLabel(this);
    m_question->setObjectName(u"LabelOtazka"_s);
    m_question->setWordWrap(true);
    m_question->setStyleSheet(u"color: #b00000"_s);
    layout->addWidget(m_question);

    m_results = new QListWidget(this);
    m_results->setObjectName(u"ListVysledek"_s);
    m_results->setWordWrap(true);
    m_results->setMinimumHeight(120);
    m_results->setToolTip(u"Vysvětlení hlášení: dvojklik nebo F1"_s);
    widgets::helpOnDoubleClick(m_results);
    layout->addWidget(m_results, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_export = new QPushButton(u"&Vytvořit soubor"_s, this);
    m_export->setDefault(true);
    connect(m_export, &QPushButton::clicked, this, [this] { exportFile(); });
    auto *close = new QPushButton(u"&Zavřít"_s, this);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(m_export);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(620, 640);
}

Form TEpoForm::form() const
{
    return m_withholding->isChecked() ? Form::Withholding : Form::Employment;
}

void TEpoForm::setForm(Form form)
{
    (form == Form::Employment ? m_employment : m_withholding)->setChecked(true);
}

QLineEdit *TEpoForm::addressBox(int part) const
{
    return m_address.value(part);
}

void TEpoForm::fillWorkplaces(int office, int selected)
{
    const QSignalBlocker block(m_workplace);
    m_workplace->clear();
    m_workplace->addItem(u"(neuvádět)"_s, 0);
    for (const Workplace &w : CodeLists::builtIn().workplacesOf(office))
        m_workplace->addItem(u"%1 – %2"_s.arg(w.code).arg(w.name), w.code);
    m_workplace->setCurrentIndex(std::max(0, m_workplace->findData(selected)));
}

// Shows what the company data give for the chosen statement and asks, in
// the boxes, what they do not.
void TEpoForm::loadStatement()
{
    const Form f = form();
    m_resolution = resolve(f, m_snapshot, CodeLists::builtIn(), FilingAnswers(m_context.iniPath));
    {
        const QSignalBlocker block(m_office);
        m_office->setCurrentIndex(std::max(0, m_office->findData(m_resolution.office.office)));
    }
    fillWorkplaces(m_resolution.office.office, m_resolution.office.workplace);
    const AddressParts &p = m_resolution.address.parts;
    const QStringList parts = {p.street, p.houseNumber, p.orientNumber, p.postcode, p.municipality};
    for (qsizetype i = 0; i < parts.size(); ++i)
        m_address[i]->setText(parts[i]);
    m_addressSource->setText(m_resolution.addressText.isEmpty() ? u"(nevyplněno)"_s
                                                                : m_resolution.addressText);
    // The signing person's box is asked about only where it stays unclear
    // (or was answered before, so the answer can be changed).
    using statements::SignatoryKind;
    const bool unclear = m_resolution.signatory == SignatoryKind::Unclear;
    m_signatoryBox->setVisible(unclear || m_resolution.signatoryAnswered);
    m_signatoryBox->setTitle(
        u"Podepisující osoba „%1“, údaj „%2“"_s.arg(m_resolution.signatoryName, m_resolution.signatoryId));
    m_signatory->setCurrentIndex(std::max(0, m_signatory->findData(int(m_resolution.signatory))));

    QStringList questions = m_resolution.problems();
    if (unclear)
        questions.append(u"Vyberte, co znamená údaj podepisující osoby; odpověď si program zapamatuje."_s);
    if (!m_resolution.office.complete() && !m_resolution.address.complete())
        questions.append(u"Vyberte finanční úřad a doplňte adresu; odpověď si program zapamatuje."_s);
    else if (!m_resolution.office.complete())
        questions.append(u"Vyberte finanční úřad; odpověď si program zapamatuje."_s);
    else if (!m_resolution.address.complete())
        questions.append(u"Doplňte adresu; odpověď si program zapamatuje."_s);
    m_question->setText(questions.join(u'\n'));

    m_file->setText(QDir::toNativeSeparators(QDir(startFolder()).filePath(defaultFileName(f, m_snapshot))));

    m_results->clear();
    const QList<statements::FilingIssue> issues = checks(f);
    m_results->addItems(findingLines(issues));
    // Each finding opens its explanation in the help.
    for (int row = 0; row < m_results->count() && row < issues.size(); ++row) {
        if (!issues[row].check.isEmpty())
            m_results->item(row)->setData(platform::HelpAnchorRole,
                                          statements::filingCheckAnchor(issues[row].check));
    }
}

QString TEpoForm::lastFolderKey()
{
    return u"PosledniSlozka"_s;
}

// The folder the file goes to at first: the last one a filing was written
// to, the documents folder, the settlement's own folder; always one that
// exists, so the user never types into a path that must first be created.
QString TEpoForm::startFolder() const
{
    QStringList candidates;
    if (!m_context.iniPath.isEmpty()) {
        const platform::IniFile ini(platform::FileOps::resolve(m_context.iniPath));
        candidates.append(ini.readString(FilingAnswers::section(), lastFolderKey()));
    }
    candidates.append(m_context.defaultFolder);
    if (!m_context.iniPath.isEmpty())
        candidates.append(QFileInfo(platform::FileOps::resolve(m_context.iniPath)).absolutePath());
    for (const QString &c : candidates) {
        if (!c.isEmpty() && QFileInfo(platform::FileOps::resolve(c)).isDir())
            return c;
    }
    return QDir::homePath();
}

QList<statements::FilingIssue> TEpoForm::checks(Form f) const
{
    if (!m_context.checks)
        return {};
    try {
        return m_context.checks(f);
    } catch (const platform::Error &e) {
        return {{statements::FilingPart::Company, e.message(), statements::Severity::Warning, QString()}};
    }
}

Filer TEpoForm::currentFiler() const
{
    Filer filer;
    filer.office = m_office->currentData().toInt();
    filer.workplace = m_workplace->currentData().toInt();
    filer.address = {m_address[0]->text().simplified(), m_address[1]->text().simplified(),
                     m_address[2]->text().simplified(), m_address[3]->text().remove(u' '),
                     m_address[4]->text().simplified()};
    filer.signatory = m_signatoryBox->isVisibleTo(this)
                          ? statements::SignatoryKind(m_signatory->currentData().toInt())
                          : m_resolution.signatory;
    return filer;
}

// An answer is kept when it differs from what the company data give by
// themselves, so a later export asks nothing.
void TEpoForm::rememberAnswers(const Filer &filer)
{
    FilingAnswers answers(m_context.iniPath);
    const Filer automatic = m_resolution.filer();
    try {
        if (!m_resolution.office.complete() || filer.office != automatic.office ||
            filer.workplace != automatic.workplace)
            answers.rememberOffice(m_resolution.officeText, m_resolution.workplaceText,
                                   {filer.office, filer.workplace});
        if (!m_resolution.address.complete() || !(filer.address == automatic.address))
            answers.rememberAddress(m_resolution.addressKey, m_resolution.addressText, filer.address);
        if (filer.signatory != automatic.signatory)
            answers.rememberSignatory(m_resolution.signatoryKey, m_resolution.signatoryName,
                                      m_resolution.signatoryId, filer.signatory);
    } catch (const platform::Error &e) {
        m_context.messages.error(e.message());
    }
}

bool TEpoForm::exportFile()
{
    const Form f = form();
    const Filer filer = currentFiler();
    if (filer.office == 0) {
        m_context.messages.error(u"Vyberte finanční úřad, kterému je vyúčtování určeno."_s);
        m_office->setFocus();
        return false;
    }
    if (filer.signatory == statements::SignatoryKind::Unclear) {
        m_context.messages.error(u"Vyberte, co znamená údaj „%1“ podepisující osoby „%2“."_s.arg(
            m_resolution.signatoryId, m_resolution.signatoryName));
        m_signatory->setFocus();
        return false;
    }
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        m_context.messages.error(u"Zadejte soubor, do kterého se má podání uložit."_s);
        m_file->setFocus();
        return false;
    }
    rememberAnswers(filer);

    // Critical findings are refused by the export itself, with the same texts.
    QStringList warnings;
    for (const statements::FilingIssue &i : checks(f))
        if (i.severity == statements::Severity::Warning)
            warnings.append(i.text);
    if (!warnings.isEmpty() &&
        !m_context.messages.confirm(u"Kontrola před podáním upozorňuje:\n"_s + warnings.join(u'\n') +
                                    u"\n\nPřesto vytvořit soubor?"_s))
        return false;
    if (QFileInfo::exists(platform::FileOps::resolve(path)) &&
        !m_context.messages.confirm(u"Soubor %1 již existuje. Přepsat?"_s.arg(path)))
        return false;

    const ExportResult result = exportEpo(f, m_snapshot, filer, m_context.software, path);
    // What is asked is answered now; the next statement starts from it.
    m_resolution = resolve(f, m_snapshot, CodeLists::builtIn(), FilingAnswers(m_context.iniPath));
    if (!result.refusals.isEmpty()) {
        QStringList lines{
            u"Soubor nebyl vytvořen, kontrola před podáním našla chyby, pro které by podání bylo "
            u"odmítnuto:"_s};
        lines += result.refusals;
        lines += result.reasons;
        showResult(lines);
        m_context.messages.error(u"Soubor nebyl vytvořen: podání by bylo odmítnuto.\nDůvody jsou vypsány "
                                 u"v okně."_s);
        return false;
    }
    if (!result.reasons.isEmpty()) {
        showResult(QStringList{u"Soubor nebyl vytvořen, podání neodpovídá schématu %1:"_s.arg(formCode(f))} +
                   result.reasons);
        // Each reason opens its explanation; the heading the explanations' list.
        for (int row = 0; row < m_results->count(); ++row)
            m_results->item(row)->setData(platform::HelpAnchorRole,
                                          row == 0 ? u"schema"_s
                                                   : reasonAnchor(m_results->item(row)->text()));
        m_context.messages.error(
            u"Soubor nebyl vytvořen: podání neodpovídá schématu %1.\nDůvody jsou vypsány "
            u"v okně."_s.arg(formCode(f)));
        return false;
    }
    if (!result.written) {
        showResult({result.writeError});
        m_context.messages.error(result.writeError);
        return false;
    }
    if (!m_context.iniPath.isEmpty()) {
        platform::writeIfPossible([&] {
            platform::IniFile(platform::FileOps::resolve(m_context.iniPath))
                .writeString(
                    FilingAnswers::section(), lastFolderKey(),
                    QDir::toNativeSeparators(QFileInfo(platform::FileOps::resolve(path)).absolutePath()));
        });
    }
    QStringList lines{u"Soubor %1 byl vytvořen a odpovídá schématu %2."_s.arg(path, formCode(f))};
    for (const QString &note : result.document.notes)
        lines.append(u"Upozornění: "_s + note);
    showResult(lines);
    m_question->clear();
    m_context.messages.information(u"Soubor %1 byl vytvořen."_s.arg(path));
    return true;
}

void TEpoForm::showResult(const QStringList &lines)
{
    m_results->clear();
    m_results->addItems(lines);
}

void TEpoForm::browse()
{
    const QString chosen =
        QFileDialog::getSaveFileName(this, title(), m_file->text(), u"Soubory XML (*.xml)"_s);
    if (!chosen.isEmpty())
        m_file->setText(QDir::toNativeSeparators(chosen));
}

void TEpoForm::restorePlacement()
{
    if (m_context.iniPath.isEmpty() || m_context.section.isEmpty())
        return;
    const platform::IniFile ini(platform::FileOps::resolve(m_context.iniPath));
    if (ini.valueExists(m_context.section, u"ElektronickePodaniTop"))
        move(ini.readInteger(m_context.section, u"ElektronickePodaniLeft", x()),
             ini.readInteger(m_context.section, u"ElektronickePodaniTop", y()));
}

void TEpoForm::savePlacement()
{
    if (m_context.iniPath.isEmpty() || m_context.section.isEmpty())
        return;
    platform::IniFile ini(platform::FileOps::resolve(m_context.iniPath));
    platform::writeIfPossible([&] {
        ini.writeInteger(m_context.section, u"ElektronickePodaniTop", y());
        ini.writeInteger(m_context.section, u"ElektronickePodaniLeft", x());
    });
}

void TEpoForm::done(int result)
{
    savePlacement();
    QDialog::done(result);
}

} // namespace filing
