#include "conversion/DocumentNames.h"

#include "common/PathHelpers.h"

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
    names.fileName = fileNameOf(path);
    // Four characters give way to the ending: "page.html" gives "page..PDF". A name of four
    // characters or fewer (".rtf", "TODO") keeps them all, so that its PDF is still named after
    // it, in its own folder, exactly as the printer names it.
    names.expectedPdf =
        (names.fileName.size() > 4 ? path.left(path.size() - 4) : path) + QStringLiteral(".PDF");
    return names;
}
