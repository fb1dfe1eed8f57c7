#pragma once

#include <QString>

// What a run did, counted by document.
struct RunSummary
{
    int converted = 0;
    int failed = 0;  // a PDF should have been made and was not
    int skipped = 0; // deliberately left alone: an existing PDF, a PDF, not a file
    bool stopped = false;
};

// "290 converted, 4 failed, 6 skipped", after "Stopped: " when the user stopped the run.
QString SummaryText(const RunSummary& summary);
