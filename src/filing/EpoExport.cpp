#include "filing/EpoExport.h"

#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "statements/FilingChecks.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

using namespace Qt::StringLiterals;

namespace filing {

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

bool FilingAnswers::rememberOffice(const QString &officeText, const QString &workplaceText,
                                   const OfficeAnswer &a)
{
    if (m_path.isEmpty())
        return true;
    platform::IniFile ini(platform::FileOps::resolve(m_path));
    const QString k = officeKey();
    const bool ok = ini.writeString(section(), QString(k + u"Text"_s), officeText.trimmed()) &&
                    ini.writeString(section(), QString(k + u"Pracoviste"_s), workplaceText.trimmed()) &&
                    ini.writeInteger(section(), QString(k + u"Kod"_s), a.office) &&
                    ini.writeInteger(section(), QString(k + u"PracovisteKod"_s), a.workplace);
    m_error = ok ? QString() : ini.errorString();
    return ok;
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

bool FilingAnswers::rememberAddress(const QString &key, const QString &text, const AddressParts &p)
{
    if (m_path.isEmpty())
        return true;
    platform::IniFile ini(platform::FileOps::resolve(m_path));
    const bool ok = ini.writeString(section(), QString(key + u"Text"_s), text.trimmed()) &&
                    ini.writeString(section(), QString(key + u"Ulice"_s), p.street) &&
                    ini.writeString(section(), QString(key + u"CisloPopisne"_s), p.houseNumber) &&
                    ini.writeString(section(), QString(key + u"CisloOrientacni"_s), p.orientNumber) &&
                    ini.writeString(section(), QString(key + u"Psc"_s), p.postcode) &&
                    ini.writeString(section(), QString(key + u"Obec"_s), p.municipality);
    m_error = ok ? QString() : ini.errorString();
    return ok;
}

QStringList Resolution::problems() const
{
    QStringList lines;
    if (!office.complete())
        lines.append(office.problem);
    if (!address.complete())
        lines.append(address.problem);
    return lines;
}

Resolution resolve(Form form, const Snapshot &snapshot, const CodeLists &lists, const FilingAnswers &answers)
{
    Resolution r;
    r.officeText = Snapshot::text(snapshot.prp, u"Fusp"_s);
    r.workplaceText = Snapshot::text(snapshot.prp, u"Fu"_s);
    if (const std::optional<FilingAnswers::OfficeAnswer> a = answers.office(r.officeText, r.workplaceText);
        a && lists.office(a->office)) {
        r.office.office = a->office;
        r.office.workplace = lists.workplace(a->workplace) ? a->workplace : 0;
        r.officeAnswered = true;
    } else {
        r.office = matchOffice(lists, r.officeText, r.workplaceText);
    }

    r.addressKey = form == Form::Employment ? u"Adresa"_s : u"AdresaSrazkou"_s;
    r.addressText = Snapshot::text(snapshot.prp, form == Form::Employment ? u"Mi"_s : u"Adrb"_s);
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
    result.document = writeEpo(form, snapshot, filer, software);
    result.complaints = SchemaValidator::builtIn(formCode(form)).validate(result.document.xml);
    result.reasons = describeComplaints(result.document, result.complaints);
    if (!result.complaints.isEmpty() || path.isEmpty())
        return result;

    QSaveFile file(platform::FileOps::resolve(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(result.document.xml) != result.document.xml.size() ||
        !file.commit()) {
        result.writeError =
            u"Soubor %1 se nepodařilo zapsat: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString());
        file.cancelWriting();
        return result;
    }
    result.written = true;
    return result;
}

QStringList filingChecks(data::TDM1 &dm, Form form, int taxYear)
{
    using statements::FilingPart;
    const QList<FilingPart> parts =
        form == Form::Employment ? QList<FilingPart>{FilingPart::Employment, FilingPart::EmployeeCount,
                                                     FilingPart::Corrections, FilingPart::BonusCorrections}
                                 : QList<FilingPart>{FilingPart::Withholding};
    QStringList lines;
    for (const statements::FilingIssue &issue :
         statements::checkForFiling(statements::readFilingData(dm, taxYear), parts))
        lines.append(issue.text);
    return lines;
}

QString defaultFileName(Form form, const Snapshot &snapshot)
{
    const Snapshot::Record &prp = snapshot.prp;
    const bool employment = form == Form::Employment;
    QString name = Snapshot::text(prp, employment ? u"Ojv"_s : u"Ojs"_s).simplified();
    if (name.isEmpty())
        name = QString(Snapshot::text(prp, employment ? u"Jmd"_s : u"Jmds"_s) + u' ' +
                       Snapshot::text(prp, employment ? u"Prk"_s : u"Prks"_s))
                   .simplified();
    QString cleaned;
    for (const QChar c : name)
        if (c.unicode() >= 0x20 && !QStringView(u"\\/:*?\"<>|").contains(c))
            cleaned += c;
    cleaned = cleaned.trimmed();
    QString year = Snapshot::text(prp, u"Rok"_s);
    if (year.isEmpty())
        if (const std::optional<QDate> d = Snapshot::date(prp, u"Dk"_s))
            year = QString::number(d->year());
    QString file = cleaned.isEmpty() ? formCode(form) : cleaned + u" - "_s + formCode(form);
    if (!year.isEmpty())
        file += u' ' + year;
    return file + u".xml"_s;
}

} // namespace filing
