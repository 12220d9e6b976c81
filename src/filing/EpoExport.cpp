#include "filing/EpoExport.h"

#include "data/FieldNames.h"
#include "filing/EpoMapping.h"
#include "filing/Municipalities.h"
#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "statements/FilingChecks.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace filing {

using namespace data::fields;

namespace {

QString officeKey()
{
    return u"Urad"_s;
}

} // namespace

FilingAnswers::FilingAnswers(QString iniPath) : m_path(std::move(iniPath)) {}

QString FilingAnswers::iniPathOf(const QString &settlementDir)
{
    const QString dir = QDir::cleanPath(settlementDir);
    return dir + u'/' + QFileInfo(dir).fileName() + u".ini"_s;
}

std::optional<FilingAnswers::OfficeAnswer> FilingAnswers::office(const QString &officeText,
                                                                 const QString &workplaceText) const
{
    if (m_path.isEmpty())
        return std::nullopt;
    const platform::IniFile ini(platform::FileOps::resolve(m_path));
    const QString k = officeKey();
    if (!ini.valueExists(section(), QString(k + u"Kod"_s)))
        return std::nullopt;
    if (ini.readString(section(), QString(k + u"Text"_s)) != officeText.trimmed() ||
        ini.readString(section(), QString(k + u"Pracoviste"_s)) != workplaceText.trimmed())
        return std::nullopt;
    OfficeAnswer a;
    a.office = ini.readInteger(section(), QString(k + u"Kod"_s), 0);
    a.workplace = ini.readInteger(section(), QString(k + u"PracovisteKod"_s), 0);
    if (a.office <= 0)
        return std::nullopt;
    return a;
}

void FilingAnswers::rememberOffice(const QString &officeText, const QString &workplaceText,
                                   const OfficeAnswer &a)
{
    if (m_path.isEmpty())
        return;
    platform::IniFile ini(platform::FileOps::resolve(m_path));
    const QString k = officeKey();
    ini.writeString(section(), QString(k + u"Text"_s), officeText.trimmed());
    ini.writeString(section(), QString(k + u"Pracoviste"_s), workplaceText.trimmed());
    ini.writeInteger(section(), QString(k + u"Kod"_s), a.office);
    ini.writeInteger(section(), QString(k + u"PracovisteKod"_s), a.workplace);
}

std::optional<AddressParts> FilingAnswers::address(const QString &key, const QString &text) const
{
    if (m_path.isEmpty())
        return std::nullopt;
    const platform::IniFile ini(platform::FileOps::resolve(m_path));
    if (!ini.valueExists(section(), QString(key + u"Text"_s)) ||
        ini.readString(section(), QString(key + u"Text"_s)) != text.trimmed())
        return std::nullopt;
    AddressParts p;
    p.street = ini.readString(section(), QString(key + u"Ulice"_s));
    p.houseNumber = ini.readString(section(), QString(key + u"CisloPopisne"_s));
    p.orientNumber = ini.readString(section(), QString(key + u"CisloOrientacni"_s));
    p.postcode = ini.readString(section(), QString(key + u"Psc"_s));
    p.municipality = ini.readString(section(), QString(key + u"Obec"_s));
    return p;
}

void FilingAnswers::rememberAddress(const QString &key, const QString &text, const AddressParts &p)
{
    if (m_path.isEmpty())
        return;
    platform::IniFile ini(platform::FileOps::resolve(m_path));
    ini.writeString(section(), QString(key + u"Text"_s), text.trimmed());
    ini.writeString(section(), QString(key + u"Ulice"_s), p.street);
    ini.writeString(section(), QString(key + u"CisloPopisne"_s), p.houseNumber);
    ini.writeString(section(), QString(key + u"CisloOrientacni"_s), p.orientNumber);
    ini.writeString(section(), QString(key + u"Psc"_s), p.postcode);
    ini.writeString(section(), QString(key + u"Obec"_s), p.municipality);
}

std::optional<statements::SignatoryKind> FilingAnswers::signatory(const QString &key, const QString &name,
                                                                  const QString &id) const
{
    if (m_path.isEmpty())
        return std::nullopt;
    const platform::IniFile ini(platform::FileOps::resolve(m_path));
    if (!ini.valueExists(section(), QString(key + u"Typ"_s)) ||
        ini.readString(section(), QString(key + u"Jmeno"_s)) != name.trimmed() ||
        ini.readString(section(), QString(key + u"Text"_s)) != id.trimmed())
        return std::nullopt;
    const statements::SignatoryKind kind =
        statements::signatoryKindFromKey(ini.readString(section(), QString(key + u"Typ"_s)));
    if (kind == statements::SignatoryKind::Unclear)
        return std::nullopt;
    return kind;
}

void FilingAnswers::rememberSignatory(const QString &key, const QString &name, const QString &id,
                                      statements::SignatoryKind kind)
{
    if (m_path.isEmpty())
        return;
    platform::IniFile ini(platform::FileOps::resolve(m_path));
    ini.writeString(section(), QString(key + u"Jmeno"_s), name.trimmed());
    ini.writeString(section(), QString(key + u"Text"_s), id.trimmed());
    ini.writeString(section(), QString(key + u"Typ"_s), statements::signatoryKindKey(kind));
}

QStringList Resolution::problems() const
{
    QStringList lines;
    if (!office.complete())
        lines.append(office.problem);
    if (!address.complete())
        lines.append(address.problem);
    if (signatory == statements::SignatoryKind::Unclear)
        lines.append(
            u"U podepisující osoby „%1“ nelze poznat, zda údaj „%2“ (%3) je IČ právnické osoby, datum "
            u"narození, nebo evidenční číslo osvědčení daňového poradce."_s.arg(signatoryName, signatoryId,
                                                                                signatoryField));
    return lines;
}

Resolution resolve(Form form, const Snapshot &snapshot, const CodeLists &lists, const FilingAnswers &answers)
{
    Resolution r;
    // The texts behind the attributes the answers fill, as the mapping names them.
    const EpoMapping &map = EpoMapping::builtIn();
    r.officeText = Snapshot::text(snapshot.prp, map.field(form, u"VetaD", u"c_ufo_cil"));
    r.workplaceText = Snapshot::text(snapshot.prp, map.field(form, u"VetaP", u"c_pracufo"));
    if (const std::optional<FilingAnswers::OfficeAnswer> a = answers.office(r.officeText, r.workplaceText);
        a && lists.office(a->office)) {
        r.office.office = a->office;
        r.office.workplace = lists.workplace(a->workplace) ? a->workplace : 0;
        r.officeAnswered = true;
    } else {
        r.office = matchOffice(lists, r.officeText, r.workplaceText);
    }

    const bool employment = form == Form::Employment;
    r.signatoryKey = employment ? u"Podepisujici"_s : u"PodepisujiciSrazkou"_s;
    r.signatoryField = map.field(form, u"VetaP", u"zast_ic");
    r.signatoryName = Snapshot::text(snapshot.prp, map.field(form, u"VetaP", u"zast_nazev"));
    r.signatoryId = Snapshot::text(snapshot.prp, r.signatoryField);
    r.signatory = statements::classifySignatory(
        Snapshot::text(snapshot.prp, map.field(form, u"VetaP", u"zast_kod")), r.signatoryName, r.signatoryId);
    if (r.signatory == statements::SignatoryKind::Unclear) {
        if (const std::optional<statements::SignatoryKind> a =
                answers.signatory(r.signatoryKey, r.signatoryName, r.signatoryId)) {
            r.signatory = *a;
            r.signatoryAnswered = true;
        }
    }

    r.addressKey = form == Form::Employment ? u"Adresa"_s : u"AdresaSrazkou"_s;
    r.addressText = Snapshot::text(snapshot.prp, map.field(form, u"VetaP", u"ulice"));
    if (const std::optional<AddressParts> a = answers.address(r.addressKey, r.addressText)) {
        r.address.parts = *a;
        r.addressAnswered = true;
    } else {
        r.address = splitAddress(r.addressText);
    }
    return r;
}

QStringList describeComplaints(const EpoDocument &document, const QList<SchemaComplaint> &complaints)
{
    QStringList lines;
    // libxml2 may say the same of one value twice (the value, then its
    // type): the first says it best.
    QSet<std::pair<int, QString>> seen;
    for (const SchemaComplaint &c : complaints) {
        if (!c.attribute.isEmpty()) {
            if (seen.contains({c.line, c.attribute}))
                continue;
            seen.insert({c.line, c.attribute});
        }
        const QString where = document.where(c.line, c.attribute);
        QString line = where.isEmpty() ? c.czech : where + u": "_s + c.czech;
        if (c.czech != c.message)
            line += u" (" + c.message + u')';
        if (!lines.contains(line))
            lines.append(line);
    }
    return lines;
}

ExportResult exportEpo(Form form, const Snapshot &snapshot, const Filer &filer, const Software &software,
                       const QString &path)
{
    ExportResult result;
    for (const statements::FilingIssue &issue : statements::criticalIssues(filingChecks(snapshot, form)))
        result.refusals.append(issue.text);
    result.document = writeEpo(form, snapshot, filer, software);
    result.complaints = SchemaValidator::builtIn(formCode(form)).validate(result.document.xml);
    result.reasons = describeComplaints(result.document, result.complaints);
    if (!result.refusals.isEmpty() || !result.complaints.isEmpty() || path.isEmpty())
        return result;

    const QString target = platform::FileOps::resolve(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(target).absoluteDir().exists()) {
        result.writeError = u"Soubor %1 se nepodařilo zapsat: složka %2 neexistuje."_s.arg(
            shown, QDir::toNativeSeparators(QFileInfo(target).absolutePath()));
        return result;
    }
    // Flushed and named only when whole: a full disk leaves no cut file
    // that the portal would refuse later.
    platform::AtomicFile file(target);
    if (!file.open() || !file.write(result.document.xml) || !file.commit()) {
        result.writeError =
            platform::Error::withReason(u"Soubor %1 se nepodařilo zapsat."_s.arg(shown), file.reason());
        return result;
    }
    result.written = true;
    return result;
}

namespace {

QList<statements::FilingPart> partsOf(Form form)
{
    using statements::FilingPart;
    return form == Form::Employment ? QList<FilingPart>{FilingPart::Employment, FilingPart::EmployeeCount,
                                                        FilingPart::Corrections, FilingPart::BonusCorrections}
                                    : QList<FilingPart>{FilingPart::Withholding};
}

} // namespace

QList<statements::FilingIssue> filingChecks(data::TDM1 &dm, Form form, int taxYear)
{
    return statements::checkForFiling(
        statements::readFilingData(dm, taxYear, Municipalities::builtIn().lookup()), partsOf(form));
}

QList<statements::FilingIssue> filingChecks(const Snapshot &snapshot, Form form)
{
    statements::FilingData data;
    data.prp = snapshot.prp;
    data.vdvl = snapshot.vdvl;
    data.vdvs = snapshot.vdvs;
    data.vpkv = snapshot.vpkv;
    data.vpkb = snapshot.vpkb;
    bool yearGiven = false;
    data.taxYear = Snapshot::text(snapshot.prp, Prp::Rok).toInt(&yearGiven);
    if (!yearGiven)
        data.taxYear = Snapshot::date(snapshot.prp, Prp::Dk).value_or(QDate::currentDate()).year();
    data.municipalities = Municipalities::builtIn().lookup();
    data.forEachWorkplace = [&snapshot](const statements::FilingData::WorkplaceVisitor &visit) {
        for (const Snapshot::Place &p : snapshot.places)
            visit({p.name, p.count, p.code, p.municipality, p.district});
    };
    return statements::checkForFiling(data, partsOf(form));
}

QStringList findingLines(const QList<statements::FilingIssue> &issues)
{
    QStringList lines;
    for (const statements::FilingIssue &i : issues)
        lines.append((i.severity == statements::Severity::Critical ? u"Chyba: "_s : u"Upozornění: "_s) +
                     i.text);
    return lines;
}

QString defaultFileName(Form form, const Snapshot &snapshot)
{
    const Snapshot::Record &prp = snapshot.prp;
    const EpoMapping &map = EpoMapping::builtIn();
    QString name = Snapshot::text(prp, map.field(form, u"VetaP", u"zkrobchjm")).simplified();
    if (name.isEmpty())
        name = QString(Snapshot::text(prp, map.field(form, u"VetaP", u"jmeno")) + u' ' +
                       Snapshot::text(prp, map.field(form, u"VetaP", u"prijmeni")))
                   .simplified();
    QString cleaned;
    for (const QChar c : name)
        if (c.unicode() >= 0x20 && !QStringView(u"\\/:*?\"<>|").contains(c))
            cleaned += c;
    cleaned = cleaned.trimmed();
    QString year = Snapshot::text(prp, Prp::Rok);
    if (year.isEmpty())
        if (const std::optional<QDate> d = Snapshot::date(prp, Prp::Dk))
            year = QString::number(d->year());
    QString file = cleaned.isEmpty() ? formCode(form) : cleaned + u" - "_s + formCode(form);
    if (!year.isEmpty())
        file += u' ' + year;
    return file + u".xml"_s;
}

QString reasonAnchor(const QString &reason)
{
    // By the Czech wording of the complaint (czechComplaint), most specific first.
    static const QList<std::pair<QString, QString>> kinds = {
        {u"údaj chybí"_s, u"schema-chybi"_s},
        {u"chybí povinný záznam"_s, u"schema-chybi"_s},
        {u"není datum"_s, u"schema-datum"_s},
        {u"není číslo"_s, u"schema-cislo"_s},
        {u"příliš mnoho číslic"_s, u"schema-cislo"_s},
        {u"v celých korunách"_s, u"schema-cislo"_s},
        {u"nemá předepsaný tvar"_s, u"schema-tvar"_s},
        {u"povolených"_s, u"schema-delka"_s},
        {u"záznam je navíc"_s, u"schema-navic"_s},
        {u"není ve formuláři povolen"_s, u"schema-navic"_s},
        {u"neodpovídá předepsané"_s, u"schema-navic"_s},
    };
    for (const auto &[wording, anchor] : kinds) {
        if (reason.contains(wording))
            return anchor;
    }
    return u"schema-soubor"_s;
}

} // namespace filing
