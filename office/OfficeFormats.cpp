#include "office/OfficeFormats.h"

#include <QFileInfo>
#include <QMimeType>
#include <QSet>
#include <QStringList>
#include <algorithm>

bool OfficeImports(const QString& path)
{
    // The office's own type registry names these endings for what it imports; endings that
    // belong to a route of their own (pictures, PDFs, web pages, plain text and XML) are left
    // out, and so are those that name no one format (".zip", ".pdb", ".mp").
    static const QSet<QString> kSuffixes{
        // word processing
        "doc", "docx", "docm", "dot", "dotx", "dotm", "odt", "ott", "fodt", "odm", "otm", "oth",
        "rtf", "wpd", "wps", "wpt", "abw", "zabw", "lwp", "sxw", "stw", "sxg", "sdw", "pages",
        "hwp", "602", "cwk", "mcw", "mw", "mwd", "wn", "wri", "psw", "fb2", "lrf",
        // spreadsheets
        "xls", "xlsx", "xlsm", "xlsb", "xlt", "xltx", "xltm", "xlc", "xlk", "xlm", "xlw", "ods",
        "ots", "fods", "csv", "tsv", "tab", "sxc", "stc", "sdc", "wk1", "wk3", "wk4", "wks", "wb1",
        "wb2", "wq1", "wq2", "123", "dif", "slk", "sylk", "dbf", "wdb", "numbers", "gnumeric",
        "gnm", "et", "ett",
        // presentations
        "ppt", "pptx", "pptm", "pps", "ppsx", "pot", "potx", "potm", "odp", "otp", "fodp", "sxi",
        "sti", "sdd", "key", "dps", "dpt",
        // drawings and desktop publishing
        "odg", "otg", "fodg", "sxd", "std", "sda", "vsd", "vsdx", "vsdm", "vdx", "cdr", "cmx",
        "pub", "qxd", "qxt", "pmd", "pm", "pm6", "p65", "zmf", "wpg", "fh", "fh1", "fh2", "fh3",
        "fh4", "fh5", "fh6", "fh7", "fh8", "fh9", "fh10", "fh11"};
    return kSuffixes.contains(QFileInfo(path).suffix().toLower());
}

bool OfficeReadsType(const QMimeType& type)
{
    // The media types of the office's type registry, but for plain text and web pages: a file
    // of those types under a name of its own goes to the routes made for them.
    static const QStringList kTypes{
        "application/clarisworks",
        "application/docbook+xml",
        "application/macwriteii",
        "application/msword",
        "application/rtf",
        "application/vnd.corel-draw",
        "application/vnd.lotus-1-2-3",
        "application/vnd.lotus-wordpro",
        "application/vnd.ms-excel",
        "application/vnd.ms-powerpoint",
        "application/vnd.ms-works",
        "application/vnd.oasis.opendocument.graphics",
        "application/vnd.oasis.opendocument.graphics-flat-xml",
        "application/vnd.oasis.opendocument.graphics-template",
        "application/vnd.oasis.opendocument.presentation",
        "application/vnd.oasis.opendocument.presentation-flat-xml",
        "application/vnd.oasis.opendocument.presentation-template",
        "application/vnd.oasis.opendocument.spreadsheet",
        "application/vnd.oasis.opendocument.spreadsheet-flat-xml",
        "application/vnd.oasis.opendocument.spreadsheet-template",
        "application/vnd.oasis.opendocument.text",
        "application/vnd.oasis.opendocument.text-flat-xml",
        "application/vnd.oasis.opendocument.text-master",
        "application/vnd.oasis.opendocument.text-template",
        "application/vnd.openxmlformats-officedocument.presentationml.presentation",
        "application/vnd.openxmlformats-officedocument.presentationml.slideshow",
        "application/vnd.openxmlformats-officedocument.presentationml.template",
        "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet",
        "application/vnd.openxmlformats-officedocument.spreadsheetml.template",
        "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
        "application/vnd.openxmlformats-officedocument.wordprocessingml.template",
        "application/vnd.sun.xml.calc",
        "application/vnd.sun.xml.draw",
        "application/vnd.sun.xml.impress",
        "application/vnd.sun.xml.writer",
        "application/vnd.visio",
        "application/vnd.wordperfect",
        "application/x-abiword",
        "application/x-fictionbook+xml",
        "application/x-gnumeric",
        "application/x-hwp",
        "application/x-iwork-keynote-sffkey",
        "application/x-iwork-numbers-sffnumbers",
        "application/x-iwork-pages-sffpages",
        "application/x-mspublisher",
        "application/x-mswrite",
        "application/x-t602",
        "image/x-wpg",
    };
    if (!type.isValid())
        return false;
    return std::any_of(kTypes.cbegin(), kTypes.cend(),
                       [&type](const QString& name) { return type.inherits(name); });
}
