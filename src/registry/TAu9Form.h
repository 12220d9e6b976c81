// Folder information window "Informace".
#pragma once

#include "registry/SettlementList.h"

#include <QDialog>

namespace registry {

// "Informace": where the program looks for its files.
class TAu9Form : public QDialog
{
    Q_OBJECT

public:
    explicit TAu9Form(const InfoPaths &paths, QWidget *parent = nullptr);
};

} // namespace registry
