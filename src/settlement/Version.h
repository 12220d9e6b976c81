#pragma once

#include <QString>

namespace settlement::Version {

// The program's version number, compared with the data directory's.
inline constexpr int Number = 1410;
inline constexpr int TaxYear = 2015;

// "14.10": the number's decimal text with "." before its third character.
inline QString text()
{
    QString t = QString::number(Number);
    t.insert(2, u'.');
    return t;
}

// "215": the tax year's decimal text without its second character; part of
// the INI names that must differ from year to year.
inline QString yearTag()
{
    QString t = QString::number(TaxYear);
    t.remove(1, 1);
    return t;
}

inline QString applicationTitle()
{
    return QStringLiteral("Qesto");
}

inline QString mainWindowCaption()
{
    return applicationTitle() + u' ' + text();
}

} // namespace settlement::Version
