#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace registry {

// A single-line box of the registry dialogs: the program's TEditz. With
// enterTab false, Enter reaches the dialog's default button.
QLineEdit *newEdit(QWidget *parent, bool enterTab = true);

// The hint of a control: shown beside it and in the status bar.
void hint(QWidget *widget, const QString &text);

// Windows of the registry are fixed in size and centred over their parent
// (or the screen).
void fixAndCentre(QWidget *window);

} // namespace registry
