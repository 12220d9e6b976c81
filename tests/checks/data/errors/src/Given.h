// What the error-type check lets pass: reasons given in, not handed back.
#pragma once

#include <QString>

QString damagedMessage(const QString &displayName, const QString &reason);
void copyFile(const QString &from, const QString &to);
