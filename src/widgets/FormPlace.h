#pragma once

#include <QPoint>
#include <QString>

class QWidget;

namespace widgets {

// Where the windows of the open settlement keep their settings: the
// settlement's INI file and the section named after its directory. An empty
// path keeps nothing.
struct SettlementIni
{
    QString path;
    QString section;
};

// The place of one window in the settlement's INI file, under its name
// followed by "Top" and "Left".
class FormPlace
{
public:
    FormPlace(SettlementIni ini, QString name) : m_ini(std::move(ini)), m_name(std::move(name)) {}

    // The place before the saved one is read: `narrow` on screens narrower
    // than 641 pixels, else `wide` (both as left, top).
    static QPoint byScreen(int screenWidth, QPoint narrow, QPoint wide)
    {
        return screenWidth < 641 ? narrow : wide;
    }

    // The saved place, `fallback` where none is saved.
    QPoint read(QPoint fallback) const;
    void write(QPoint pos) const;

    // Moves the window to its default for the screen it is on, then to the
    // saved place.
    void restore(QWidget *window, QPoint narrow, QPoint wide) const;
    void save(const QWidget *window) const;

    const QString &name() const { return m_name; }

private:
    SettlementIni m_ini;
    QString m_name;
};

} // namespace widgets
