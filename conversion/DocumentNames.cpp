#include "conversion/DocumentNames.h"

#include "app/PathHelpers.h"

QString DocumentNames::fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(PathSeparator()) + 1);
}

DocumentNames DocumentNames::of(const QString& path)
{
    DocumentNames names;
    names.path = path;
    names.source = path;
    names.typeSuffix = path.right(3).toUpper();
    names.folder = path.left(path.lastIndexOf(PathSeparator()) + 1);
    // Always four characters: "page.html" gives "page..PDF".
    names.expectedPdf = path.left(std::max<qsizetype>(0, path.size() - 4)) + QStringLiteral(".PDF");
    names.fileName = fileNameOf(path);
    return names;
}
