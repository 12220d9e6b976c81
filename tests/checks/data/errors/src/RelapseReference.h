// The error-type check refuses a reason the callee fills in.
#pragma once

#include <QString>

bool copyFile(const QString &from, const QString &to, QString &error);
