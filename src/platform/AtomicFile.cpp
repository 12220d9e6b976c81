#include "platform/AtomicFile.h"

#include "platform/DiskSync.h"
#include "platform/Error.h"
#include "platform/FileOps.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

const QString leftoverInfix = u".tmp-"_s;

QString randomSuffix()
{
    return QString::number(QRandomGenerator::global()->generate() | 0x10000000u, 16);
}

} // namespace

// A file without Qt's write buffer, so that each write reaches the system at
// once, and that keeps the first failure of any write.
class AtomicFile::Device : public QFile
{
public:
    explicit Device(const QString &name) : QFile(name) {}

    int failure() const { return m_failure; }

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 written = QFile::writeData(data, len);
        if (written != len && m_failure == 0) {
            const int code = SystemError::lastCode();
            m_failure = code != 0 ? code : -1;
        }
        return written;
    }

private:
    int m_failure = 0;
};

AtomicFile::AtomicFile(QString target) : m_target(std::move(target)) {}

AtomicFile::~AtomicFile()
{
    discard();
}

QString AtomicFile::temporaryPath() const
{
    return m_file && !m_direct ? m_file->fileName() : QString();
}

bool AtomicFile::failWith(const QString &reason)
{
    m_reason = reason;
    m_error = u"Soubor %1 nelze zapsat: %2"_s.arg(FileOps::nativePath(m_target), reason);
    return false;
}

bool AtomicFile::open()
{
    discard();
    m_error.clear();
    m_reason.clear();
    const QString target = FileOps::resolve(m_target);
    const QFileInfo info(target);
    if (info.isDir())
        return failWith(u"Stejné jméno má složka."_s);
    if (info.exists() && !info.isWritable())
        return failWith(u"Soubor je jen pro čtení."_s);
    int code = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        auto file = std::make_unique<Device>(target + leftoverInfix + randomSuffix());
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (info.exists())
                file->setPermissions(info.permissions());
            m_file = std::move(file);
            return true;
        }
        code = SystemError::lastCode();
        if (QFileInfo::exists(file->fileName()))
            continue; // a name taken by chance
        if (m_directFallback && info.exists() && info.isWritable()) {
            file = std::make_unique<Device>(target);
            if (file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
                m_file = std::move(file);
                m_direct = true;
                return true;
            }
            code = SystemError::lastCode();
        }
        break;
    }
    const QString reason = SystemError::reason(code);
    return failWith(reason.isEmpty() ? u"Ve složce nelze vytvořit soubor."_s : reason);
}

QIODevice *AtomicFile::device()
{
    return m_file.get();
}

bool AtomicFile::write(const QByteArray &bytes)
{
    if (!m_file)
        return failWith(u"Soubor není otevřen."_s);
    if (m_file->write(bytes) == bytes.size())
        return true;
    const QString reason = SystemError::reason(m_file->failure());
    return failWith(reason.isEmpty() ? u"Zápis se nezdařil."_s : reason);
}

bool AtomicFile::commit()
{
    if (!m_file)
        return m_error.isEmpty() ? failWith(u"Soubor není otevřen."_s) : false;
    const auto failAndDiscard = [this](const QString &reason) {
        discard();
        return failWith(reason.isEmpty() ? u"Zápis se nezdařil."_s : reason);
    };
    if (m_file->failure() != 0)
        return failAndDiscard(SystemError::reason(m_file->failure()));
    if (m_file->error() != QFileDevice::NoError)
        return failAndDiscard(SystemError::translate(m_file->errorString()));
    QString reason;
    if (!DiskSync::flushFile(*m_file, &reason))
        return failAndDiscard(reason);
    m_file->close();
    if (m_file->error() != QFileDevice::NoError)
        return failAndDiscard(SystemError::translate(m_file->errorString()));
    const QString target = FileOps::resolve(m_target);
    if (!m_direct && !DiskSync::replaceFile(m_file->fileName(), target, &reason))
        return failAndDiscard(reason);
    m_file.reset();
    m_direct = false;
    // The new name is safe from a power cut only with its folder's entries.
    if (!DiskSync::flushDirectory(QFileInfo(target).absolutePath(), &reason))
        return failWith(reason);
    return true;
}

void AtomicFile::discard()
{
    if (!m_file)
        return;
    m_file->close();
    // A target written in place is cut short for good; leave it to the
    // caller's message rather than removing the user's file.
    if (!m_direct)
        QFile::remove(m_file->fileName());
    m_file.reset();
    m_direct = false;
}

void AtomicFile::writeFile(const QString &target, const QByteArray &bytes)
{
    QString error;
    if (!writeFile(target, bytes, &error))
        throw Error(error);
}

bool AtomicFile::writeFile(const QString &target, const QByteArray &bytes, QString *error)
{
    AtomicFile file(target);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error)
        *error = file.errorString();
    return ok;
}

bool AtomicFile::isLeftoverOf(const QString &name, const QString &targetName)
{
    if (name.size() <= targetName.size() + leftoverInfix.size())
        return false;
    return name.startsWith(targetName + leftoverInfix, Qt::CaseInsensitive);
}

int AtomicFile::removeLeftovers(const QString &target)
{
    const QFileInfo info(FileOps::resolve(target));
    const QDir dir = info.absoluteDir();
    int removed = 0;
    const QStringList names =
        dir.entryList({info.fileName() + leftoverInfix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (isLeftoverOf(name, info.fileName()) && QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}

} // namespace platform
