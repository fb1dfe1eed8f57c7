#pragma once

#include <QStringList>
#include <QVector>

// Merges the PDFs of a run into one file after the loop. Answers false when the run must end
// there (the user cancelled, or no merged file was made).
class CombineStep
{
public:
    virtual ~CombineStep() = default;

    virtual bool combine(const QStringList& outputNames, const QVector<bool>& completed) = 0;
};
