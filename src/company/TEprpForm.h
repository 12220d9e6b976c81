// Company data editor "Údaje o firmě".
#pragma once

#include "widgets/FormPlace.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QTabWidget;

namespace data {
class TDM1;
}
namespace platform {
class IMessages;
}
namespace statements {
class FormPages;
}
namespace widgets {
class TDBCheckBoxz;
class TDBEditz;
} // namespace widgets

namespace company {

// Company data editor "Údaje o firmě": the single record of Prp on four
// pages, built from the same description of boxes and rules (prpLayout) that
// qesto-cli set and the import type through. Every box writes straight into
// the record; "&OK" and closing post it, and closing reads the table again so
// the next opening starts from the file.
class TEprpForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PageCount = 4;

    TEprpForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
              QWidget *parent = nullptr);
    ~TEprpForm() override;

    QTabWidget *pages() const;
    QPushButton *okButton() const { return m_ok; }
    // The box or check box of a Prp field ("Telx"); nullptr if none.
    QWidget *control(const QString &field) const;
    widgets::TDBEditz *edit(const QString &field) const;
    widgets::TDBCheckBoxz *checkBox(const QString &field) const;
    // The clickable label beside a box: the ">>" of a copy, the caption of a
    // date box.
    QLabel *copyLabel(const QString &field) const;
    QLabel *dateLabel(const QString &field) const;
    // Boxes in tab order, per page.
    QList<QWidget *> pageControls(int page) const;

    // Shows page 0..3 (Ctrl+1 .. Ctrl+4) with the focus on its first box.
    void showPage(int page);
    // Asks whether the target field should take its source's value and
    // copies it on Yes.
    void copyInto(const QString &target);
    // The calendar for a date field's box.
    void pickDate(const QString &field);

    // "&OK": hands the box being edited to the record and posts it; the
    // window closes only when that succeeded.
    void OKButtonClick();

    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool handleKey(QWidget *target, QKeyEvent *event);
    bool postRecord();
    void reopenPrp();

    data::TDM1 &m_dm;
    platform::IMessages &m_messages;
    widgets::FormPlace m_place;
    statements::FormPages *m_pages = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_closing = false;
};

} // namespace company
