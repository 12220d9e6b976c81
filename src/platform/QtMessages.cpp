#include "platform/QtMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace platform {
namespace {

int show(QWidget *parent, QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton defaultButton)
{
    // The program's questions end in " ?"; a no-break space keeps the mark
    // with the word before it when the box wraps the line.
    QString shown = text;
    shown.replace(u" ?"_s, u"\u00A0?"_s);
    QMessageBox box(icon, QApplication::applicationName(), shown, buttons, parent);
    const struct
    {
        QMessageBox::StandardButton button;
        const char16_t *caption;
    } captions[] = {{QMessageBox::Ok, u"OK"},
                    {QMessageBox::Yes, u"Ano"},
                    {QMessageBox::No, u"Ne"},
                    {QMessageBox::Cancel, u"Storno"}};
    for (const auto &c : captions) {
        if (QAbstractButton *b = box.button(c.button))
            b->setText(QString::fromUtf16(c.caption));
    }
    box.setDefaultButton(defaultButton);
    if (buttons.testFlag(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    return box.exec();
}

} // namespace

void QtMessages::error(const QString &text)
{
    show(m_parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessages::information(const QString &text)
{
    show(m_parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessages::confirm(const QString &text)
{
    return show(m_parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes) == QMessageBox::Yes;
}

IMessages::Answer QtMessages::question(const QString &text)
{
    switch (show(m_parent, QMessageBox::Question, text,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace platform
