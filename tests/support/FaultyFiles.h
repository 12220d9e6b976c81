#pragma once

#include "paradox/FileLayer.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace paradox {

// The disk, except for chosen operations that fail as a network drive's
// hiccup or a permission taken away for a moment would: a table that cannot
// be read for one open, one step of a copy that cannot be done.
class FaultyFiles final : public FileLayer
{
public:
    enum Op
    {
        Read = 1,
        Copy = 2,
        Rename = 4,
        Remove = 8,
        // The engine writing or removing a table's journal, .DB or index.
        Write = 16,
        AnyChange = Copy | Rename | Remove,
        AnyStep = AnyChange | Write,
    };

    // The operations of the kinds in ops on files whose name contains name
    // (any file when empty, letter case ignored) fail `times` times, after
    // `skip` of them went through.
    void fail(int ops, const QString &name = {}, int times = 1, int skip = 0)
    {
        m_ops = ops;
        m_name = name;
        m_times = times;
        m_skip = skip;
    }
    // Operations made to fail so far.
    int failures() const { return m_failures; }
    // Every operation asked of the layer, as "copy A.DB" (file names only).
    const QStringList &log() const { return m_log; }

    bool openForReading(QFile &file, QString &error) const override
    {
        if (failing(Read, u"read", file.fileName())) {
            error = QStringLiteral("Přístup odepřen (zkouška)");
            return false;
        }
        return FileLayer::openForReading(file, error);
    }
    bool copy(const QString &from, const QString &to, QString &error) const override
    {
        return failing(Copy, u"copy", from, to) ? refuse(error) : FileLayer::copy(from, to, error);
    }
    bool rename(const QString &from, const QString &to, QString &error) const override
    {
        return failing(Rename, u"rename", from, to) ? refuse(error) : FileLayer::rename(from, to, error);
    }
    bool remove(const QString &path, QString &error) const override
    {
        return failing(Remove, u"remove", path) ? refuse(error) : FileLayer::remove(path, error);
    }
    bool beforeWrite(const QString &path, QString &error) const override
    {
        return failing(Write, u"write", path) ? refuse(error) : FileLayer::beforeWrite(path, error);
    }

private:
    static bool refuse(QString &error)
    {
        error = QStringLiteral("Síťová cesta není dostupná (zkouška)");
        return false;
    }

    bool failing(Op op, QStringView verb, const QString &path, const QString &other = {}) const
    {
        const QString name = QFileInfo(path).fileName();
        m_log.append(verb + u' ' + name + (other.isEmpty() ? QString() : u' ' + QFileInfo(other).fileName()));
        if (!(m_ops & op) || m_times <= 0)
            return false;
        if (!m_name.isEmpty() && !name.contains(m_name, Qt::CaseInsensitive) &&
            !QFileInfo(other).fileName().contains(m_name, Qt::CaseInsensitive))
            return false;
        if (m_skip > 0) {
            --m_skip;
            return false;
        }
        --m_times;
        ++m_failures;
        return true;
    }

    int m_ops = 0;
    QString m_name;
    mutable int m_times = 0;
    mutable int m_skip = 0;
    mutable int m_failures = 0;
    mutable QStringList m_log;
};

} // namespace paradox
