#include "platform/office/OfficeFormats.h"

#include <QFileInfo>
#include <QSet>

bool OfficeImports(const QString& path)
{
    static const QSet<QString> kSuffixes{
        // word processing
        "doc",
        "docx",
        "docm",
        "dot",
        "dotx",
        "dotm",
        "odt",
        "ott",
        "fodt",
        "rtf",
        "wpd",
        "wps",
        "abw",
        "lwp",
        "sxw",
        "pages",
        // spreadsheets
        "xls",
        "xlsx",
        "xlsm",
        "xlsb",
        "xlt",
        "xltx",
        "ods",
        "ots",
        "fods",
        "csv",
        "sxc",
        "wk1",
        "wks",
        "123",
        "dif",
        "slk",
        "numbers",
        // presentations
        "ppt",
        "pptx",
        "pptm",
        "pps",
        "ppsx",
        "pot",
        "potx",
        "odp",
        "otp",
        "fodp",
        "sxi",
        "key",
        // drawings
        "odg",
        "otg",
        "fodg",
        "vsd",
        "vsdx",
        "cdr",
        "pub",
        // plain text
        "txt",
        "text",
        "log",
        "tsv",
        "tab",
    };
    return kSuffixes.contains(QFileInfo(path).suffix().toLower());
}

bool IsVectorPicture(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("wmf") || suffix == QLatin1String("emf");
}
