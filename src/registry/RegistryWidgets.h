#pragma once

#include <QObject>

class QLineEdit;
class QWidget;

namespace registry {

// Enter in a line edit moves the focus like Tab, Shift+Enter like
// Shift+Tab, and the Enter itself goes no further (so it does not press the
// dialog's default button). Installed on the boxes of the registry dialogs.
class EnterAsTab : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    static void install(QLineEdit *edit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// A single-line box of the registry dialogs: the program's TEditz where the
// input controls are built, otherwise a line edit with EnterAsTab. With
// enterTab false, Enter reaches the dialog's default button.
QLineEdit *newEdit(QWidget *parent, bool enterTab = true);

// The hint of a control: shown beside it and in the status bar.
void hint(QWidget *widget, const QString &text);

// Windows of the registry are fixed in size and centred over their parent
// (or the screen).
void fixAndCentre(QWidget *window);

} // namespace registry
