#include "company/TEprpForm.h"

#include "data/CompanyData.h"
#include "data/DataError.h"
#include "data/Dataset.h"
#include "data/TDM1.h"
#include "platform/Error.h"
#include "platform/Messages.h"
#include "widgets/Editz.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <functional>

using namespace Qt::StringLiterals;
using widgets::TDBCheckBoxz;
using widgets::TDBEditz;

namespace company {

namespace {

// A caption that does something when clicked: the ">>" of a copy and the
// label of a date box.
class ClickLabel : public QLabel
{
public:
    ClickLabel(const QString &text, std::function<void()> action, QWidget *parent)
        : QLabel(text, parent), m_action(std::move(action))
    {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QLabel::mousePressEvent(event);
        if (m_action)
            m_action();
    }

private:
    std::function<void()> m_action;
};

// The boxes where Enter turns the page: Enter goes to `forward`, Shift+Enter
// to `backward` (field names).
struct Seam
{
    const char16_t *box;
    const char16_t *forward;
    const char16_t *backward;
};

constexpr Seam seams[] = {
    {u"Mi", u"Z1", u"Npd"},    {u"Z1", u"Z2", u"Mi"},     {u"Op", u"Pfo", u"Emlv"},
    {u"Pfo", u"Dpdr2", u"Op"}, {u"Ops", u"Kzsa", u"Dvs"}, {u"Kzsa", u"Zjms", u"Ops"},
};

const Seam *findSeam(const QString &field)
{
    for (const Seam &seam : seams) {
        if (field.compare(QStringView(seam.box), Qt::CaseInsensitive) == 0)
            return &seam;
    }
    return nullptr;
}

// The width of a box that takes `chars` characters.
int boxWidth(const QWidget *box, int chars)
{
    const int average = box->fontMetrics().averageCharWidth();
    return std::clamp(average * (chars + 2) + 10, 36, 340);
}

// The two lines that introduce the signatory acting for a legal person.
const QString signatoryHeading1 =
    u"Fyzická osoba oprávněná k podpisu   (je-li daňový subjekt či zástupce právnickou osobou),"_s;
const QString signatoryHeading2 =
    u"s uvedením vztahu k právnické osobě   (např. jednatel, pověřený pracovník apod.)"_s;

} // namespace

// Lays out one page row by row and records every box with its page, its
// labels and its place in the tab order.
class TEprpForm::PageBuilder
{
public:
    PageBuilder(TEprpForm &form, const QString &title)
        : m_form(form), m_index(int(form.m_pageControls.size()))
    {
        m_page = new QWidget(form.m_pages);
        m_page->setObjectName(u"TabSheet"_s + QString::number(m_index + 1));
        m_page->setToolTip(u"Nápověda (F1)"_s);
        m_layout = new QVBoxLayout(m_page);
        m_layout->setSpacing(4);
        form.m_pages->addTab(m_page, title);
        form.m_pageControls.append(QList<QWidget *>());
    }

    ~PageBuilder() { m_layout->addStretch(); }

    void heading(const QString &text, bool bold = false)
    {
        auto *label = new QLabel(text, m_page);
        if (bold) {
            QFont f = label->font();
            f.setBold(true);
            label->setFont(f);
        }
        m_layout->addWidget(label);
        m_row = nullptr;
    }

    // Starts a row; the caption in front of it is aligned with the other rows'.
    void row(const QString &caption = {})
    {
        m_row = new QHBoxLayout;
        m_row->setSpacing(6);
        m_layout->addLayout(m_row);
        auto *label = new QLabel(caption, m_page);
        label->setMinimumWidth(m_captionWidth);
        label->setWordWrap(true);
        m_row->addWidget(label);
        m_row->addStretch();
    }

    void setCaptionWidth(int width) { m_captionWidth = width; }

    // A text box for the field with its label in front (clickable for date
    // boxes), its hint and maximum length (0: the field's size).
    TDBEditz *edit(const QString &field, const QString &label, const QString &hint, int maxLen = 0,
                   bool date = false, int width = 0)
    {
        ensureRow();
        if (date) {
            auto *caption = new ClickLabel(
                label, [form = &m_form, field] { form->pickDate(field); }, m_page);
            caption->setObjectName(u"Label"_s + field);
            m_form.m_dateLabels.insert(field.toLower(), caption);
            insert(caption);
        } else if (!label.isEmpty()) {
            insert(new QLabel(label, m_page));
        }
        auto *box = new TDBEditz(m_page);
        box->setObjectName(u"DBEdit"_s + field);
        box->setField(&m_form.m_dm.PrpSource(), field);
        if (maxLen > 0)
            box->setMaxChars(maxLen);
        if (date)
            box->setDatePicker(m_form.m_dm.datePicker());
        box->setToolTip(hint);
        box->setStatusTip(hint);
        const int chars = date ? 11 : box->maxLength() > 100 ? 8 : box->maxLength();
        box->setFixedWidth(width > 0 ? width : boxWidth(box, chars));
        add(field, box);
        if (data::findCompanyCopy(field)) {
            auto *copy = new ClickLabel(
                u">>"_s, [form = &m_form, field] { form->copyInto(field); }, m_page);
            copy->setObjectName(u"Label"_s + field + u"Copy"_s);
            copy->setToolTip(u">>"_s);
            copy->setStatusTip(u">>"_s);
            m_form.m_copyLabels.insert(field.toLower(), copy);
            insert(copy);
        }
        return box;
    }

    TDBCheckBoxz *check(const QString &field, const QString &caption, const QString &hint)
    {
        ensureRow();
        auto *box = new TDBCheckBoxz(caption, m_page);
        box->setObjectName(u"DBCheckBox"_s + field);
        box->setField(&m_form.m_dm.PrpSource(), field);
        box->setToolTip(hint);
        box->setStatusTip(hint);
        add(field, box);
        return box;
    }

    // A plain text after the last box of the row.
    void note(const QString &text) { insert(new QLabel(text, m_page)); }

private:
    void ensureRow()
    {
        if (!m_row)
            row();
    }

    // Before the row's closing stretch.
    void insert(QWidget *w) { m_row->insertWidget(m_row->count() - 1, w); }

    void add(const QString &field, QWidget *box)
    {
        insert(box);
        m_form.m_controls.insert(field.toLower(), box);
        m_form.m_pageOf.insert(box, m_index);
        m_form.m_pageControls[m_index].append(box);
        if (findSeam(field)) {
            if (auto *edit = qobject_cast<TDBEditz *>(box))
                edit->setEnterTab(false);
            else if (auto *check = qobject_cast<TDBCheckBoxz *>(box))
                check->setEnterTab(false);
        }
    }

    TEprpForm &m_form;
    int m_index;
    QWidget *m_page;
    QVBoxLayout *m_layout;
    QHBoxLayout *m_row = nullptr;
    int m_captionWidth = 150;
};

TEprpForm::TEprpForm(data::TDM1 &dm, platform::IMessages &messages, widgets::SettlementIni ini,
                     QWidget *parent)
    : QDialog(parent), m_dm(dm), m_messages(messages), m_place(std::move(ini), u"UdajeOFirme"_s)
{
    setObjectName(u"EprpForm"_s);
    setWindowTitle(u"Údaje o firmě"_s);
    setProperty("helpPrefix", u"firma"_s);
    setProperty("helpContext", 5);
    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(u"PageControl1"_s);
    layout->addWidget(m_pages);
    buildPages();

    m_ok = new QPushButton(u"&OK"_s, this);
    m_ok->setObjectName(u"OKButton"_s);
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &TEprpForm::OKButtonClick);
    layout->addWidget(m_ok, 0, Qt::AlignHCenter);

    widgets::setMessages(this, &m_messages);
    // The window previews the keys of every box.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);

    for (const char16_t *field : {u"Zdo", u"Pfo"}) {
        auto *box = checkBox(QString::fromUtf16(field));
        connect(box, &QCheckBox::toggled, this, &TEprpForm::updateCaptions);
    }
    updateCaptions();

    adjustSize();
    m_place.restore(this, QPoint(30, 0), QPoint(110, 80));
    showPage(0);
}

TEprpForm::~TEprpForm() = default;

void TEprpForm::buildPages()
{
    const QString typ = u"Typ vyúčtování (F1)"_s;
    const QString dopd = u"Důvody pro podání dodatečného vyúčtování zjištěny dne (F1)"_s;
    {
        PageBuilder p(*this, u"Stránka 1"_s);
        p.heading(u"Společné údaje - Qesto, Příloha k vyučtování (opravy) a Počet zaměstnanců"_s, true);
        p.setCaptionWidth(210);
        p.row(u"Rok"_s);
        p.edit(u"Rok"_s, {}, u"Rok"_s, 4);
        p.row();
        p.check(u"Zdo"_s, QString(),
                u"Zaškrtnuto - za zdaňovací období, nezaškrtnuto - za část zdaňovacího období"_s);
        p.row();
        p.edit(u"Dz"_s, u"od"_s, u"Zdaňovací období od - do"_s, 0, true);
        p.edit(u"Dk"_s, u"do"_s, u"Zdaňovací období od - do"_s, 0, true);
        p.row(u"Typ vyúčtování"_s);
        p.check(u"Dpdr1"_s, u"řádné"_s, typ);
        p.check(u"Dpdo1"_s, u"opravné"_s, typ);
        p.check(u"Dpdd1"_s, u"dodatečné"_s, typ);
        p.edit(u"Dopd"_s, u"datum"_s, dopd, 25, true);
        p.row(u"DIČ"_s);
        p.edit(u"Dic"_s, {}, u"DIČ"_s, 15);
        p.row(u"Kód rozlišení vyúčtování"_s);
        p.edit(u"Kod"_s, {}, u"Kód rozlišení vyúčtování (F1)"_s, 2);
        p.edit(u"Dvo"_s, u"datum"_s, u"Kód rozlišení vyúčtování - datum (F1)"_s, 0, true);
        const QString fusp = u"Finančnímu úřadu pro / Specializovanému finančnímu úřadu"_s;
        p.row(fusp);
        p.edit(u"Fusp"_s, {}, fusp + u" (F1)"_s, 35);
        const QString fu = u"Územní pracoviště v, ve, pro"_s;
        p.row(fu);
        p.edit(u"Fu"_s, {}, fu + u" (F1)"_s, 25);
        p.heading(u"Fyzická osoba"_s, true);
        p.row(u"příjmení"_s);
        p.edit(u"Prk"_s, {}, u"Fyzická osoba - příjmení"_s, 16);
        p.edit(u"Jmd"_s, u"jméno"_s, u"Fyzická osoba - jméno(-a)"_s, 14);
        p.edit(u"Tiv"_s, u"titul"_s, u"Fyzická osoba - titul"_s, 4);
        p.heading(u"Právnická osoba"_s, true);
        p.heading(u"název právnické osoby"_s);
        const QString ojv = u"Právnická osoba - název právnické osoby, právní forma"_s;
        p.row(u"ř. 1"_s);
        p.edit(u"Ojv"_s, {}, ojv, 35);
        p.row(u"ř. 2"_s);
        p.edit(u"Ojva"_s, {}, ojv, 35);
        p.heading(u"Fyzická i právnická osoba"_s, true);
        p.row(u"název plátce daně"_s);
        p.edit(u"Npd"_s, {}, u"Formulář - Počet zaměstnanců - název plátce daně"_s, 35);
        p.row(u"adresa místa pobytu nebo sídlo"_s);
        p.edit(u"Mi"_s, {}, u"Adresa místa pobytu nebo sídlo"_s, 35);
    }
    const QString kzs = u"Kód podepisující osoby (F1)"_s;
    const QString zjm = u"Jméno(-a) a příjmení / Název právnické osoby"_s;
    const QString zde =
        u"Datum narození / Evidenční číslo osvědčení daň. poradce / IČ právnické osoby (F1)"_s;
    const QString zdeLabel =
        u"Datum narození / Evidenční číslo osvědčení\ndaňového poradce / IČ právnické osoby"_s;
    const QString zjv = u"Jméno(-a) a příjmení / Vztah k právnické osobě"_s;
    {
        PageBuilder p(*this, u"Stránka 2"_s);
        p.heading(u"Počet zaměstnanců podle mzdových listů k poslednímu dni kalendářního měsíce"_s, true);
        for (int half = 0; half < 2; ++half) {
            p.row(u"Zaměstnanci"_s);
            for (int m = half * 6 + 1; m <= half * 6 + 6; ++m)
                p.edit(u"Z"_s + QString::number(m), QString::number(m) + u'.', u"Nápověda (F1)"_s, 0, false,
                       56);
        }
        p.heading(u"Údaje o podepisující osobě:"_s, true);
        p.setCaptionWidth(290);
        p.row(u"Kód podepisující osoby"_s);
        p.edit(u"Kzs"_s, {}, kzs, 33);
        p.row(zjm);
        p.edit(u"Zjm"_s, {}, zjm + u" (F1)"_s, 33);
        p.row(zdeLabel);
        p.edit(u"Zde"_s, {}, zde, 33);
        p.heading(signatoryHeading1);
        p.heading(signatoryHeading2);
        p.row(zjv);
        p.edit(u"Zjv"_s, {}, zjv + u" (F1)"_s, 33);
        p.row(u"Kontakt. osoba"_s);
        p.edit(u"Ses"_s, {}, u"Kontaktní osoba"_s, 18);
        p.edit(u"Tel"_s, u"Telefon"_s, u"Telefon"_s, 11);
        p.row(u"Vystaveno"_s);
        p.edit(u"Dv"_s, u"dne"_s, u"Vystaveno dne"_s, 0, true);
        p.row(u"E-mail"_s);
        p.edit(u"Emlv"_s, {}, u"E-mail"_s, 33);
        p.row(u"Počet příloh"_s);
        p.edit(u"Op"_s, {}, u"Počet příloh k vyúčtování"_s);
        p.heading(u"Údaje pro Vyúčtování daně vybírané srážkou podle zvláštní sazby daně z příjmů  "
                  u"(Stránka 3 a 4)         >>>>>"_s);
    }
    {
        PageBuilder p(*this, u"Stránka 3"_s);
        p.heading(u"Údaje pro Vyúčtování daně vybírané srážkou podle zvláštní sazby daně z příjmů"_s, true);
        p.row();
        p.check(u"Pfo"_s, QString(), u"Zaškrtnuto - fyzických osob, nezaškrtnuto - právnických osob"_s);
        p.row(u"Typ vyúčtování"_s);
        p.check(u"Dpdr2"_s, u"řádné"_s, typ);
        p.check(u"Dpdo2"_s, u"opravné"_s, typ);
        p.check(u"Dpdd2"_s, u"dodatečné"_s, typ);
        p.edit(u"Dops"_s, u"datum"_s, dopd, 25, true);
        p.heading(u"Fyzická osoba"_s, true);
        p.row(u"příjmení"_s);
        p.edit(u"Prks"_s, {}, u"Fyzická osoba - příjmení"_s, 16);
        p.edit(u"Jmds"_s, u"jméno"_s, u"Fyzická osoba - jméno(-a)"_s, 14);
        p.edit(u"Ti"_s, u"titul"_s, u"Fyzická osoba - titul"_s, 4);
        p.heading(u"Právnická osoba"_s, true);
        p.row(u"název právnické osoby"_s);
        p.edit(u"Ojs"_s, {}, u"Právnická osoba - název právnické osoby, právní forma (ř. 1)"_s, 35);
        p.row();
        p.edit(u"Ojsb"_s, {}, u"Právnická osoba - název právnické osoby, právní forma (ř. 2)"_s, 35);
        p.heading(u"Fyzická i práv. osoba"_s, true);
        p.row(u"místo pobytu nebo sídlo"_s);
        p.edit(u"Adrb"_s, {}, u"Adresa místa pobytu nebo sídlo"_s, 35);
        p.row();
        p.edit(u"Lhp"_s, u"Lhůta"_s, u"Lhůta pro podání daňového přiznání v průběhu zdaňovacího období"_s, 11,
               true);
        p.note(u"pro podání DP v průběhu zdaň. období"_s);
        p.row(u"Kontaktní osoba"_s);
        p.edit(u"Vses"_s, {}, u"Kontaktní osoba"_s, 35);
        p.row(u"Telefon"_s);
        p.edit(u"Telx"_s, {}, u"Telefon"_s, 9);
        p.row(u"E-mail"_s);
        p.edit(u"Emlx"_s, {}, u"E-mail"_s, 35);
        p.row(u"Vystaveno"_s);
        p.edit(u"Dvs"_s, u"dne"_s, u"Vystaveno dne"_s, 11, true);
        p.row(u"Počet příloh"_s);
        p.edit(u"Ops"_s, {}, u"Počet příloh k vyúčtování daně vybírané srážkou"_s);
    }
    {
        PageBuilder p(*this, u"Stránka 4"_s);
        p.heading(u"Údaje o podepisující osobě:"_s, true);
        p.setCaptionWidth(290);
        p.row(u"Kód podepisující osoby"_s);
        p.edit(u"Kzsa"_s, {}, kzs, 33);
        p.row(zjm);
        p.edit(u"Zjms"_s, {}, zjm + u" (F1)"_s, 33);
        p.row(zdeLabel);
        p.edit(u"Zdes"_s, {}, zde, 33);
        p.heading(signatoryHeading1);
        p.heading(signatoryHeading2);
        p.row(zjv);
        p.edit(u"Zjvs"_s, {}, zjv + u" (F1)"_s, 33);
    }
}

TDBEditz *TEprpForm::edit(const QString &field) const
{
    return qobject_cast<TDBEditz *>(control(field));
}

TDBCheckBoxz *TEprpForm::checkBox(const QString &field) const
{
    return qobject_cast<TDBCheckBoxz *>(control(field));
}

void TEprpForm::updateCaptions()
{
    checkBox(u"Zdo"_s)->setText(data::zdoCaption(checkBox(u"Zdo"_s)->isChecked()));
    checkBox(u"Pfo"_s)->setText(data::pfoCaption(checkBox(u"Pfo"_s)->isChecked()));
}

void TEprpForm::showPage(int page)
{
    if (page < 0 || page >= PageCount)
        return;
    m_pages->setCurrentIndex(page);
    const QList<QWidget *> &boxes = m_pageControls.at(page);
    if (!boxes.isEmpty())
        boxes.first()->setFocus(Qt::OtherFocusReason);
}

void TEprpForm::copyInto(const QString &target)
{
    const data::CompanyCopy *copy = data::findCompanyCopy(target);
    if (!copy)
        return;
    data::Dataset &prp = m_dm.Prp();
    try {
        // What the user typed into the source's box counts, even before it
        // was left.
        if (TDBEditz *source = edit(copy->source); source && !source->updateRecord())
            return;
        if (!m_messages.confirm(data::companyCopyQuestion(prp, *copy)))
            return;
        data::copyCompanyField(prp, *copy);
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
}

void TEprpForm::pickDate(const QString &field)
{
    if (TDBEditz *box = edit(field))
        box->pickDate();
}

bool TEprpForm::seamKey(QWidget *target, bool forward)
{
    const QString field = m_controls.key(target);
    const Seam *seam = findSeam(field);
    if (!seam)
        return false;
    QWidget *next = control(QString::fromUtf16(forward ? seam->forward : seam->backward));
    if (!next)
        return false;
    m_pages->setCurrentIndex(m_pageOf.value(next));
    next->setFocus(Qt::TabFocusReason);
    return true;
}

bool TEprpForm::handleKey(QWidget *target, QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (mods == Qt::ControlModifier && key >= Qt::Key_1 && key <= Qt::Key_4) {
        showPage(key - Qt::Key_1);
        return true;
    }
    if (!target)
        return false;
    const QString field = m_controls.key(target);
    if (field.isEmpty())
        return false;
    if (key == Qt::Key_F7 && mods == Qt::ShiftModifier) {
        if (data::findCompanyCopy(field)) {
            copyInto(field);
            return true;
        }
        if (m_dateLabels.contains(field)) {
            pickDate(field);
            return true;
        }
        return false;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (mods == Qt::NoModifier || mods == Qt::ShiftModifier))
        return seamKey(target, mods == Qt::NoModifier);
    return false;
}

bool TEprpForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        handleKey(static_cast<QWidget *>(watched), static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TEprpForm::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(nullptr, event))
        return;
    QDialog::keyPressEvent(event);
}

bool TEprpForm::postRecord()
{
    data::Dataset &prp = m_dm.Prp();
    if (!prp.isActive() || !prp.isEditing())
        return true;
    try {
        prp.post();
        return true;
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
        return false;
    }
}

void TEprpForm::OKButtonClick()
{
    // The box being edited hands its text to the record first; a refused
    // text keeps the focus there with the field's message.
    if (auto *box = qobject_cast<TDBEditz *>(QApplication::focusWidget()); box && box->window() == this) {
        if (!box->updateRecord())
            return;
    }
    // Unlike a silent refusal, the reason is shown: the user must know why
    // the window stays open.
    if (!postRecord())
        return;
    done(QDialog::Rejected);
}

void TEprpForm::done(int result)
{
    if (m_closing)
        return;
    m_place.save(this);
    // Closing never throws away what was typed: a record that cannot be
    // written keeps the window open with the reason.
    if (auto *box = qobject_cast<TDBEditz *>(QApplication::focusWidget()); box && box->window() == this) {
        if (!box->updateRecord())
            return;
    }
    if (!postRecord())
        return;
    m_closing = true;
    reopenPrp();
    QDialog::done(result);
    m_closing = false;
}

void TEprpForm::reopenPrp()
{
    try {
        m_dm.reopenTable(m_dm.Prp());
    } catch (const platform::Error &e) {
        m_messages.error(e.message());
    }
}

} // namespace company
