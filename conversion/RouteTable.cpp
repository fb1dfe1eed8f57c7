#include "conversion/RouteSelection.h"

#include <QStringList>

bool IsImageDocument(const QString& path)
{
    static const QStringList kImageEndings = {".PNG", "JPEG", ".JPG", ".BMP",
                                              ".WMF", ".ICO", ".EMF"};
    return kImageEndings.contains(path.right(4).toUpper());
}

Route SelectRoute(const QString& path)
{
    if (IsImageDocument(path))
        return Route::Image;
    const QString suffix = path.right(3).toUpper();
    if (suffix == QLatin1String("PDF"))
        return Route::Pdf;
    if (suffix == QLatin1String("DOC") || suffix == QLatin1String("RTF"))
        return Route::Word;
    if (suffix == QLatin1String("XLS"))
        return Route::Excel;
    if (suffix == QLatin1String("HTM") || path.right(4).toUpper() == QLatin1String("HTML"))
        return Route::Browser;
    // Plain text is drawn by the program itself, in its own encoding: far quicker than the
    // office's layout, and a text file needs nothing more.
    if (suffix == QLatin1String("XML") || suffix == QLatin1String("TXT"))
        return Route::PlainText;
    return Route::Shell;
}
