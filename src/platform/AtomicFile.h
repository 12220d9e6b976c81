#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

namespace platform {

// Writes a file so that it is either there whole or not changed at all: the
// bytes go into a temporary file beside the target ("<name>.tmp-<random>"),
// every write and the close are checked, the data are flushed to the disk,
// and only then the temporary file takes the target's name and the folder is
// flushed. A full disk, a missing permission or a device error anywhere on
// the way leaves no file behind (an older target stays as it was) and a
// Czech errorString() naming the target and the reason.
//
// A process killed before commit() leaves its temporary file; whoever writes
// that kind of file next clears them with removeLeftovers().
class AtomicFile
{
public:
    explicit AtomicFile(QString target);
    ~AtomicFile(); // discards what was not committed
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // A target that exists but may not be written (read-only) is refused, as
    // Windows refuses to replace it.
    bool open();
    // For writers that want a device (PDF, XML). A write that fails or comes
    // out short is remembered and fails commit(), also when the writer on
    // top never looked at the result.
    QIODevice *device();
    bool write(const QByteArray &bytes);
    // When the temporary file cannot be created because the folder may not
    // be written but the target itself may (a shared folder set up that
    // way), write the target in place instead; a crash can then cut it short.
    void setDirectWriteFallback(bool enabled) { m_directFallback = enabled; }

    bool commit();
    void discard();

    const QString &targetPath() const { return m_target; }
    // Empty before open() and after commit() or discard().
    QString temporaryPath() const;
    const QString &errorString() const { return m_error; }
    // The reason alone, for a caller that words the message itself.
    const QString &reason() const { return m_reason; }

    // The whole file in one call. Throws platform::Error with errorString().
    static void writeFile(const QString &target, const QByteArray &bytes);
    // The same, reporting through the result and *error.
    static bool writeFile(const QString &target, const QByteArray &bytes, QString *error);

    // Removes the temporary files that killed writers of target left beside
    // it; returns how many went.
    static int removeLeftovers(const QString &target);
    // Whether name is such a temporary file of a file called targetName.
    static bool isLeftoverOf(const QString &name, const QString &targetName);

private:
    class Device;
    bool failWith(const QString &reason);

    QString m_target;
    QString m_error;
    QString m_reason;
    std::unique_ptr<Device> m_file;
    bool m_direct = false;
    bool m_directFallback = false;
};

} // namespace platform
