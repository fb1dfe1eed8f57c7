#pragma once

#include "conversion/PrintRoute.h"

#include <QList>
#include <QString>
#include <QStringList>

// The documents the office tests print, made once per test program by the real office from
// generated HTML and spreadsheet sources. Each text document carries its own marker word.
struct OfficeDocuments
{
    QString folder;
    QString office;    // soffice
    QString doc;       // marker "Quincedoc"
    QString rtf;       // "Quincertf"
    QString docx;      // "Quincedocx"
    QString odt;       // "Quinceodt"
    QString txt;       // "Quincetxt", plain text the office imports (a .csv)
    QString workbook;  // .xls: sheets First, Second (active), Third with Apples, Bananas, Cherries
    QString sheetsOds; // .ods with the same sheets, for the shell route
    // .xls on Letter paper at half size, with header and footer fields: sheets Notes and
    // Ledger (active, 60 rows that fit one page only at that size)
    QString letterWorkbook;
    QString lockedDoc; // .doc with a password to open
    QString lockedOdt; // .odt with a password to open
    QString truncated; // the .doc cut short
    QString garbage;   // random bytes named .doc
    QString longText;  // plain text of megabytes (.csv): the office needs seconds to lay it out
    QString error;     // why they could not be made; tests fail with it

    static const OfficeDocuments& get();
};

// A document that reaches outside itself, and the route that takes it.
struct LinkingDocument
{
    QString path;
    Route route;
};

// Documents that reach for `target` (a web address, or a picture as a file URL or a path
// relative to `folder`), each in its own way: a linked picture (.odt, .docx, Word 97's
// INCLUDEPICTURE field), a spreadsheet's linked picture, WEBSERVICE formula and external cell
// (.ods, and .xls without the picture), an RTF INCLUDEPICTURE field, and a web page saved as .doc
// (a picture, a background, a style sheet). The office makes them into `folder` as a user
// would; each one's text carries the word "Quincelink". Empty, with `error` set, when they could
// not be made.
QList<LinkingDocument> MakeLinkingDocuments(const QString& folder, const QString& target,
                                            QString* error);

// A spreadsheet of a few hundred bytes that asks for a thousand million cells.
QString MakeMemoryBomb(const QString& folder);

// Pids of the running office processes that use this profile folder.
QList<qint64> OfficeProcesses(const QString& profile);
// Pids of running worker processes started for this profile folder.
QList<qint64> WorkerProcesses(const QString& profile);

// Polls until no process of the list is left, up to `limitMs`.
bool ProcessesEnd(const QList<qint64>& pids, int limitMs);

// The file names left in a folder, for tests that no partial output stays behind.
QStringList FilesIn(const QString& folder);
