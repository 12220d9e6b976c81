#pragma once

// Stand-ins for the page engine and the preview in the print window's tests.

#include "print/Layout.h"
#include "print/PrintRun.h"

#include <QStringList>

#include <new>
#include <stdexcept>

namespace printtest {

using namespace Qt::StringLiterals;

// Pages of one sheet (the employee count's list: three), recorded as made.
class FakePages : public print::IPageProducer
{
public:
    platform::PrintJob produce(int page) override
    {
        produced.append(page);
        if (page == failing)
            throw print::LayoutError(failure(page));
        if (page == exhausted)
            throw std::bad_alloc();
        if (page == broken)
            throw std::out_of_range("index 7 out of range");
        return {u"Strana %1"_s.arg(page), page == print::MultiSheetPage ? 3 : 1, {}};
    }
    static QString failure(int page) { return u"Šablonu strany %1 nelze přečíst."_s.arg(page); }
    QList<int> produced;
    int failing = -1;
    int exhausted = -1; // out of memory
    int broken = -1;    // a standard library failure
};

// A preview that records each showing and then runs the next scripted
// action: a navigation command ("next", "prior", "first", "last"), "print"
// or, when the script is used up, closing.
class FakePreview : public print::IPreview
{
public:
    void showPreview(const print::PreviewRequest &request) override
    {
        Shown s{request.job.title, request.statusLine, request.browse ? request.browse->label() : QString()};
        shown.append(s);
        const QString action = script.isEmpty() ? QString() : script.takeFirst();
        print::BrowseState *b = request.browse;
        if (action == u"print") {
            request.print();
        } else if (b && action == u"next" && b->current < b->last) {
            b->current = b->next;
        } else if (b && action == u"prior" && b->current > b->first) {
            b->current = b->previous;
        } else if (b && action == u"last" && b->current < b->last) {
            b->current = b->last;
        } else if (b && action == u"first" && b->current > b->first) {
            b->current = b->first;
        } else if (b) {
            b->current = 0; // the close button ends browsing
        }
    }
    struct Shown
    {
        QString title, statusLine, pageLabel;
        bool operator==(const Shown &) const = default;
    };
    QList<Shown> shown;
    QStringList script;
};

} // namespace printtest
