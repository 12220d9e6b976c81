#include "widgets/FormPlace.h"

#include "platform/IniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace widgets {

QPoint FormPlace::read(QPoint fallback) const
{
    if (m_ini.path.isEmpty())
        return fallback;
    const platform::IniFile ini(m_ini.path);
    return {ini.readInteger(m_ini.section, QString(m_name + u"Left"_s), fallback.x()),
            ini.readInteger(m_ini.section, QString(m_name + u"Top"_s), fallback.y())};
}

void FormPlace::write(QPoint pos) const
{
    if (m_ini.path.isEmpty())
        return;
    platform::IniFile ini(m_ini.path);
    platform::writeIfPossible([&] {
        ini.writeInteger(m_ini.section, QString(m_name + u"Top"_s), pos.y());
        ini.writeInteger(m_ini.section, QString(m_name + u"Left"_s), pos.x());
    });
}

void FormPlace::restore(QWidget *window, QPoint narrow, QPoint wide) const
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const int width = screen ? screen->geometry().width() : 1024;
    window->move(read(byScreen(width, narrow, wide)));
}

void FormPlace::save(const QWidget *window) const
{
    write(window->pos());
}

} // namespace widgets
