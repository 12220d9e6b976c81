#pragma once

#include "statements/FilingChecks.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace print {

// The page catalogue of the print window: a fixed two-level tree whose nodes
// are addressed by their index in display order. Level 0 heads a statement
// and prints nothing; level 1 is a page, and its index is the page number the
// page production receives.
struct PageNode
{
    int index;
    int level;
    QString caption;
};

const QList<PageNode> &pageTree();
// A level-1 node: the buttons and F6 act only on these.
bool isPageNode(int index);

// A statement's pages: its heading node, first and last page. The employee
// count is never browsed and always prints only the selected page.
struct PageGroup
{
    int header;
    int first;
    int last;
    bool browsable;
    statements::FilingPart part;
    QString title; // the heading node's caption
};

// The group of a node (heading or page); nullptr outside the tree.
const PageGroup *pageGroup(int index);

// The texts of Dmt.Trh1 in the order of its drop-down list.
inline const QString PageSetSelected = QStringLiteral("vybranou stránku");
inline const QString PageSetAll = QStringLiteral("všechny stránky");
inline const QString PageSetOdd = QStringLiteral("liché stránky");
inline const QString PageSetEven = QStringLiteral("sudé stránky");
QStringList pageSetTexts();

// The pages the print button produces for the selected node, ascending: the
// set of `trh1` counted from the statement's first page (odd: its 1st, 3rd
// page). Nothing for a heading node, or for a text that is none of the four
// (compared exactly); the employee count always gives the selected page.
QList<int> pageSet(int selected, const QString &trh1);

// The page with more than one sheet: the employee count's list of places.
inline constexpr int MultiSheetPage = 6;

// Shared by the print window's preview loop and the preview: which page is
// shown while the user pages through a statement, and where the navigation
// commands lead. current = 0 ends browsing.
struct BrowseState
{
    bool browsing = false;
    int current = 0;
    int previous = 0;
    int next = 0;
    int header = 0;
    int first = 0;
    int last = 0;

    int pageNumber() const { return current - header; }
    int pageCount() const { return last - header; }
    // "Strana 2 z 4"
    QString label() const;
};

// "Strana n z m"
QString pageLabel(int page, int total);

// The file name a PDF of the selected node is offered under: the company and
// the statement, without characters a file name cannot hold.
QString defaultPdfName(const QString &company, int selected);

} // namespace print
