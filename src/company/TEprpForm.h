// Company data editor "Údaje o firmě".
#pragma once

#include "widgets/FormPlace.h"

#include <QDialog>
#include <QHash>
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
namespace widgets {
class TDBCheckBoxz;
class TDBEditz;
} // namespace widgets

namespace company {

// Company data editor "Údaje o firmě": the single record of Prp on four
// pages. Every box writes straight into the record; "&OK" and closing post
// it, and closing reads the table again so the next opening starts from the
// file.
class TEprpForm : public QDialog
{
    Q_OBJECT

public:
    static constexpr int PageCount = 4;

    TEprpForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
              QWidget *parent = nullptr);
    ~TEprpForm() override;

    QTabWidget *pages() const { return m_pages; }
    QPushButton *okButton() const { return m_ok; }
    // The box or check box of a Prp field ("Telx"); nullptr if none.
    QWidget *control(const QString &field) const { return m_controls.value(field.toLower()); }
    widgets::TDBEditz *edit(const QString &field) const;
    widgets::TDBCheckBoxz *checkBox(const QString &field) const;
    // The clickable label beside a box: the ">>" of a copy, the caption of a
    // date box.
    QLabel *copyLabel(const QString &field) const { return m_copyLabels.value(field.toLower()); }
    QLabel *dateLabel(const QString &field) const { return m_dateLabels.value(field.toLower()); }
    // Boxes in tab order, per page.
    QList<QWidget *> pageControls(int page) const { return m_pageControls.value(page); }

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
    class PageBuilder;
    friend class PageBuilder;

    void buildPages();
    bool handleKey(QWidget *target, QKeyEvent *event);
    bool seamKey(QWidget *target, bool forward);
    bool postRecord();
    void reopenPrp();
    void updateCaptions();

    data::TDM1 &m_dm;
    platform::IMessages &m_messages;
    widgets::FormPlace m_place;
    QTabWidget *m_pages = nullptr;
    QPushButton *m_ok = nullptr;
    QHash<QString, QWidget *> m_controls; // lower-case field name
    QHash<QString, QLabel *> m_copyLabels;
    QHash<QString, QLabel *> m_dateLabels;
    QHash<QWidget *, int> m_pageOf;
    QList<QList<QWidget *>> m_pageControls;
    bool m_closing = false;
};

} // namespace company
