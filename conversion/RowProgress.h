#pragma once

#include "common/Progress.h"

#include <QElapsedTimer>

class Application;
class DocumentList;
class RunControl;
class RunForm;

// The progress of the row being converted: the row shows that it is being converted and, for a
// long document, the pages made or the seconds spent; the window repaints and takes a Stop,
// between rows too.
class RowProgress final : public Progress
{
public:
    RowProgress(DocumentList& list, RunForm& form, Application& application,
                const RunControl& control);

    // Marks `row` as the one being converted and brings it into view.
    void start(int row);
    // The row has ended: its status is its own from now on.
    void end() { m_row = -1; }
    bool advance(int pagesDone) override;

private:
    DocumentList& m_list;
    RunForm& m_form;
    Application& m_application;
    const RunControl& m_control;
    int m_row = -1;
    int m_pages = -1;
    QElapsedTimer m_started;
    QElapsedTimer m_lastShown;
};
