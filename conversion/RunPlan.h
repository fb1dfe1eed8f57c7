#pragma once

#include "conversion/DocumentFile.h"

#include <QString>
#include <QVector>

class DocumentList;

// What a run knows of its rows before it converts the first one.
struct RunPlan
{
    QVector<DocumentFileKind> kinds;
    // For each row, the earlier row whose PDF would be the very same file, or -1: two documents
    // that map to one PDF name ("photo.gif" and "photo.tif") must not overwrite or skip each
    // other silently.
    QVector<int> sameOutputAs;
    // Rows whose PDF is there already (the overwrite question offers "to all" from two on).
    int existingOutputs = 0;

    // `destination` is the batch run's ending folder; empty for an interactive run, whose PDFs go
    // next to their documents.
    // `startFolder` is the folder whose log the run writes (in batch mode).
    static RunPlan make(const DocumentList& list, bool batch, const QString& destination,
                        const QString& startFolder);

    // Where the row's PDF lands.
    static QString outputFileOf(const QString& documentPath, bool batch,
                                const QString& destination);
    // The run's own log, listed with the other files of the starting folder; only that one file,
    // not a document whose name merely starts like it.
    static bool isBatchLog(const QString& documentPath, const QString& startFolder);
};
