#pragma once

#include "print/FormPages.h"
#include "print/PrintRun.h"

namespace print {

// The print window's pages from the page engine: the sheets FormPages fills
// from the open settlement, drawn by renderPage() wherever they go.
class FormPagesProducer : public IPageProducer
{
public:
    // `fontFamily` is read at every production: 1 converts the layouts to
    // the " CE" fonts.
    FormPagesProducer(data::TDM1 &dm, const int &fontFamily);

    platform::PrintJob produce(int page) override;

private:
    FormPages m_pages;
    const int &m_fontFamily;
};

} // namespace print
