#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace statements {

// A municipality of the list of territorial units (ZÚJ) the employee count
// names its places of work by.
struct Municipality
{
    QString code;     // six digits, "554782"
    QString name;     // "Praha", "Brno - Brno-střed"
    QString district; // as the employee count wants it: "Kladno"; the name
                      // of the city for Praha, Brno, Ostrava and Plzeň
};

// What the employee count and the checks before filing ask of the list. The
// list itself is compiled into the filing; an unset member answers nothing.
struct MunicipalityLookup
{
    std::function<std::optional<Municipality>(const QString &code)> byCode;
    // The municipalities whose name (or city part) starts with the text,
    // accents and case aside, at most `limit` of them.
    std::function<QList<Municipality>(const QString &text, int limit)> byName;
};

} // namespace statements
