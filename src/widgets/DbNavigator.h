#pragma once

#include "data/DataSource.h"

#include <QFlags>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>

class QToolButton;

namespace platform {
class IMessages;
}

namespace widgets {

// The row of record buttons under a grid or an editor. A window shows only
// the buttons it asks for; the buttons never take the focus, so a box being
// typed into keeps it and its text is written before a post. Each button is
// enabled by the state of the dataset behind the data source.
class DbNavigator : public QWidget
{
    Q_OBJECT

public:
    enum Button : unsigned
    {
        First = 0x001,
        Prior = 0x002,
        Next = 0x004,
        Last = 0x008,
        Insert = 0x010,
        Delete = 0x020,
        Edit = 0x040,
        Post = 0x080,
        Cancel = 0x100,
        Refresh = 0x200,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    Q_FLAG(Buttons)

    static constexpr Buttons AllButtons = Buttons(0x3ff);
    // The buttons of a whole record set, without Refresh.
    static constexpr Buttons RecordButtons = Buttons(0x1ff);
    static constexpr Buttons EditButtons = Buttons(Edit | Post | Cancel);

    explicit DbNavigator(QWidget *parent = nullptr);
    DbNavigator(data::DataSource *source, Buttons visible, QWidget *parent = nullptr);

    data::DataSource *dataSource() const { return m_source; }
    void setDataSource(data::DataSource *source);

    Buttons visibleButtons() const { return m_visible; }
    void setVisibleButtons(Buttons visible);

    // The tool tip and status text of a button.
    QString hint(Button button) const;
    void setHint(Button button, const QString &hint);
    // Hints in button order (First ... Refresh), as a window lists them; a
    // shorter list leaves the remaining buttons as they are.
    void setHints(const QStringList &hints);

    void setMessages(platform::IMessages *messages) { m_messages = messages; }
    // Whether Delete asks first ("Smazat záznam?"); on by default.
    bool confirmDelete() const { return m_confirmDelete; }
    void setConfirmDelete(bool confirm) { m_confirmDelete = confirm; }

    QToolButton *button(Button button) const;
    // Does what a click on the button does, if the button is shown and enabled.
    void click(Button button);

Q_SIGNALS:
    // After the button's action ran (also when it failed with a message).
    void clicked(widgets::DbNavigator::Button button);

private:
    static int indexOf(Button button);
    void run(Button button);
    void updateButtons();

    QPointer<data::DataSource> m_source;
    platform::IMessages *m_messages = nullptr;
    std::array<QToolButton *, 10> m_buttons{};
    Buttons m_visible = AllButtons;
    bool m_confirmDelete = true;
};

} // namespace widgets

Q_DECLARE_OPERATORS_FOR_FLAGS(widgets::DbNavigator::Buttons)
