// The error-type check refuses a reason the callee may fill in.
#pragma once

#include <QString>

bool readFile(const QString &path, QString *reason = nullptr);
