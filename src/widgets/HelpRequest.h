#pragma once

class QAbstractItemView;
class QWidget;

namespace widgets {

// Asks for help about the widget as F1 pressed in it does: the program's
// help hook answers, with the widget's or its entry's place in the help.
void askForHelp(QWidget *widget);

// A double-click on an entry of the view asks for help about that entry.
void helpOnDoubleClick(QAbstractItemView *view);

} // namespace widgets
