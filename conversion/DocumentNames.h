#pragma once

#include <QString>

// The values the conversion derives from a document's path.
struct DocumentNames
{
    QString path;
    QString typeSuffix;  // last three characters, upper-cased ("DOC")
    QString folder;      // up to and including the last separator
    QString expectedPdf; // the path less its last four characters (see of()), then ".PDF"
    QString fileName;    // after the last separator ("report.doc")
    QString source;      // the file to read: the path, or a stand-in that names the file

    static DocumentNames of(const QString& path);

    // The file name part of any path.
    static QString fileNameOf(const QString& path);
};
