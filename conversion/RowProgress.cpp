#include "conversion/RowProgress.h"

#include "common/Application.h"
#include "conversion/RunControl.h"
#include "conversion/RunForm.h"
#include "doclist/DocumentList.h"

namespace {
// Often enough to feel alive, seldom enough to cost nothing next to the work itself.
constexpr qint64 kRefreshMs = 100;
} // namespace

RowProgress::RowProgress(DocumentList& list, RunForm& form, Application& application,
                         const RunControl& control)
    : m_list(list), m_form(form), m_application(application), m_control(control)
{
}

void RowProgress::start(int row)
{
    m_row = row;
    m_pages = -1;
    m_started.start();
    m_lastShown.start();
    m_list.setStatus(row, DocumentList::kStatusConverting);
    m_form.showRow(row);
    m_form.repaintStatuses();
}

bool RowProgress::advance(int pagesDone)
{
    if (pagesDone >= 0)
        m_pages = pagesDone;
    if (!m_lastShown.isValid() || m_lastShown.elapsed() >= kRefreshMs) {
        m_lastShown.start();
        if (m_row >= 0) {
            QString status = DocumentList::kStatusConverting;
            if (m_pages > 0)
                status += QStringLiteral(" (page %1)").arg(m_pages);
            else if (m_started.elapsed() >= 1000)
                status += QStringLiteral(" (%1 s)").arg(m_started.elapsed() / 1000);
            m_list.setStatus(m_row, status);
        }
        m_application.processMessages();
    }
    return !m_control.stopRequested();
}
