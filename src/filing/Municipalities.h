#pragma once

#include "statements/Municipality.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <utility>

namespace filing {

using statements::Municipality;

// The municipality codes (ZÚJ) with their names and districts, read from a
// list "kod;nazev;druh;kod_obce;okres;kraj" (UTF-8): municipalities and the
// parts of the divided cities ("Brno - Brno-střed"). builtIn() reads the
// copy compiled into the program; a list that cannot be read leaves error()
// set and the list empty.
//
// The list is today's, not the tax year's: a few municipalities came into
// being later, so a code missing from it is worth a warning, never a
// refusal.
class Municipalities
{
public:
    static const Municipalities &builtIn();
    static Municipalities parse(const QByteArray &csv);

    const QList<Municipality> &all() const { return m_all; }
    const QString &error() const { return m_error; }

    const Municipality *byCode(const QString &code) const;
    // Those whose name starts with `text`, accents, case and punctuation
    // aside ("zdar" finds "Žďár nad Sázavou"); a city part is found by its
    // own name too ("kralovo" finds "Brno - Brno-Královo Pole"). In the
    // order of their names, at most `limit`.
    QList<const Municipality *> byName(const QString &text, qsizetype limit = 50) const;

    // The list as the employee count and the checks ask it.
    statements::MunicipalityLookup lookup() const;

private:
    QList<Municipality> m_all;
    QHash<QString, qsizetype> m_byCode;
    QList<std::pair<QString, qsizetype>> m_byName; // folded name -> index, sorted
    QString m_error;
};

} // namespace filing
