#include "print/FormPagesProducer.h"

#include "print/Report.h"

#include <memory>

namespace print {

FormPagesProducer::FormPagesProducer(data::TDM1 &dm, const int &fontFamily)
    : m_pages(dm), m_fontFamily(fontFamily)
{}

platform::PrintJob FormPagesProducer::produce(int page)
{
    m_pages.setCentralEuropeanFonts(m_fontFamily == 1);
    auto sheets = std::make_shared<const QList<PreparedPage>>(m_pages.produce(page));
    platform::PrintJob job;
    job.title = m_pages.layout(page).title;
    job.sheetCount = int(sheets->size());
    job.paint = [sheets](QPainter &painter, const QRectF &paper, int sheet) {
        renderPage(painter, paper, sheets->at(sheet));
    };
    return job;
}

} // namespace print
