// The error-type check refuses a reason kept to be asked for afterwards.
#pragma once

#include <QString>

class Writer
{
public:
    bool write(const QString &text);
    const QString &errorString() const;
};
