#include "tests/office/OfficeDocuments.h"

#include "office/OfficeLocations.h"
#include "office/worker/OfficeProfile.h"
#include "platform/process/QtProcessLauncher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

namespace {

const char kSheets[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
<table:table table:name="First"><table:table-row><table:table-cell office:value-type="string">
<text:p>Apples on the first sheet</text:p></table:table-cell></table:table-row></table:table>
<table:table table:name="Second"><table:table-row><table:table-cell office:value-type="string">
<text:p>Bananas on the second sheet</text:p></table:table-cell></table:table-row></table:table>
<table:table table:name="Third"><table:table-row><table:table-cell office:value-type="string">
<text:p>Cherries on the third sheet</text:p></table:table-cell></table:table-row></table:table>
</office:spreadsheet></office:body></office:document>
)";

// Letter paper printed at half size, with a header and a footer of fields, on both sheets; the
// ledger's 60 rows need two pages at full size, one at half.
const char kLetterSheetsHead[] = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"

 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
<style:page-layout style:name="letter"><style:page-layout-properties fo:page-width="8.5in"
 fo:page-height="11in" style:print-orientation="portrait" style:scale-to="50%"
 fo:margin-left="0.7in" fo:margin-right="0.7in" fo:margin-top="0.75in" fo:margin-bottom="0.75in"/>
<style:header-style><style:header-footer-properties fo:min-height="0.3in"/></style:header-style>
<style:footer-style><style:header-footer-properties fo:min-height="0.3in"/></style:footer-style>
</style:page-layout>
</office:automatic-styles>
<office:master-styles><style:master-page style:name="Default" style:page-layout-name="letter">
<style:header><style:region-left><text:p>Left Header</text:p></style:region-left>
<style:region-center><text:p><text:sheet-name>?</text:sheet-name></text:p></style:region-center>
<style:region-right><text:p>Page <text:page-number>1</text:page-number> of <text:page-count>1</text:page-count></text:p></style:region-right></style:header>
<style:footer><style:region-center><text:p>Center Footer</text:p></style:region-center>
<style:region-right><text:p><text:date>x</text:date></text:p></style:region-right></style:footer>
</style:master-page></office:master-styles>
<office:body><office:spreadsheet>
<table:table table:name="Notes"><table:table-row><table:table-cell office:value-type="string">
<text:p>Notes on the first sheet</text:p></table:table-cell></table:table-row></table:table>
<table:table table:name="Ledger">
)xml";
const char kLetterSheetsTail[] =
    "</table:table></office:spreadsheet></office:body></office:document>";

const char kLinkingText[] = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.text">
<office:body><office:text><text:p>A picture linked by Quincelink</text:p>
<text:p>Filed as <text:file-name text:display="full">x</text:file-name></text:p><text:p>
<draw:frame draw:name="linked" text:anchor-type="as-char" svg:width="6cm" svg:height="4cm">
<draw:image xlink:href="%1" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad"/>
</draw:frame></text:p></office:text></office:body></office:document>
)xml";

const char kLinkingSheet[] = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles><style:page-layout style:name="pm1"><style:page-layout-properties
 fo:page-width="21cm" fo:page-height="29.7cm"/><style:header-style><style:header-footer-properties
 fo:min-height="0.75cm"/></style:header-style></style:page-layout></office:automatic-styles>
<office:master-styles><style:master-page style:name="Default" style:page-layout-name="pm1">
<style:header><text:p>
<text:file-name text:display="full">x</text:file-name></text:p></style:header>
</style:master-page></office:master-styles>
<office:body><office:spreadsheet><table:table table:name="Links"><table:table-row>
<table:table-cell office:value-type="string"><text:p>Quincelink</text:p></table:table-cell>
<table:table-cell table:formula="of:=COM.MICROSOFT.WEBSERVICE(&quot;%1&quot;)"/>
<table:table-cell table:formula="of:=[&apos;%1&apos;#$Links.A1]"/>
<table:table-cell table:formula="of:=CELL(&quot;FILENAME&quot;;[.A1])"/>
<table:table-cell><draw:frame table:end-cell-address="Links.F6" svg:x="0cm" svg:y="0cm"
 svg:width="6cm" svg:height="4cm"><draw:image xlink:href="%1" xlink:type="simple"
 xlink:show="embed" xlink:actuate="onLoad"/></draw:frame></table:table-cell>
</table:table-row></table:table></office:spreadsheet></office:body></office:document>
)xml";

const char kLinkingRtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}}\\f0 A picture included by "
                           "Quincelink\\par {\\field{\\*\\fldinst INCLUDEPICTURE \"%1\" \\\\d}"
                           "{\\fldrslt picture}}\\par}";

const char kLinkingPage[] = "<html><head><link rel=\"stylesheet\" href=\"%1\"></head>"
                            "<body background=\"%1\"><p>A page reaching out by Quincelink</p>"
                            "<img src=\"%1\" width=\"120\" height=\"80\"></body></html>";

// Calc's whole sheet, each cell a number, in a few lines of text.
const char kMemoryBomb[] = R"xml(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet><table:table table:name="Numbers">
<table:table-row table:number-rows-repeated="1048576"><table:table-cell
 table:number-columns-repeated="1024" office:value-type="float" office:value="1"/>
</table:table-row></table:table></office:spreadsheet></office:body></office:document>
)xml";

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString html(const QString& marker)
{
    return QStringLiteral("<html><body><h1>Quarterly letter</h1><p>The word %1 appears in this "
                          "document.</p></body></html>")
        .arg(marker);
}

class Maker
{
public:
    Maker(OfficeDocuments& docs, const QString& profile) : m_docs(docs), m_profile(profile) {}

    // soffice --convert-to, the way a user would make the document.
    QString convert(const QString& source, const QString& format)
    {
        ProcessCommand command;
        command.program = m_docs.office;
        command.arguments = {
            "--headless",   "-env:UserInstallation=" + QUrl::fromLocalFile(m_profile).toString(),
            "--convert-to", format,
            "--outdir",     m_docs.folder,
            source};
        command.timeLimit = std::chrono::seconds(60);
        const ProcessResult result = m_launcher.run(command);
        const QString made = m_docs.folder + '/' + QFileInfo(source).completeBaseName() + '.' +
                             format.section(':', 0, 0);
        // The exit status says nothing about the output: look at the file.
        if (!QFileInfo(made).isFile() || QFileInfo(made).size() == 0)
            fail("soffice --convert-to " + format + " " + source +
                 " made nothing: " + QString::fromLocal8Bit(result.standardError));
        return made;
    }

    // The tests' document maker: a password to open, which --convert-to cannot set.
    QString protect(const QString& source, const QString& target, const QString& filter)
    {
        ProcessCommand command;
        command.program =
            QCoreApplication::applicationDirPath() + "/corvanta-office-document-maker";
        command.arguments = {"--office", m_docs.office, "--profile", m_profile,  "--in",
                             source,     "--out",       target,      "--filter", filter};
        command.standardInput = "open sesame\n";
        command.timeLimit = std::chrono::seconds(60);
        const ProcessResult result = m_launcher.run(command);
        if (!result.succeeded() || !QFileInfo(target).isFile())
            fail("the document maker could not protect " + source + ": " +
                 QString::fromLocal8Bit(result.standardError));
        return target;
    }

    void fail(const QString& why)
    {
        if (m_docs.error.isEmpty())
            m_docs.error = why;
    }

private:
    OfficeDocuments& m_docs;
    QString m_profile;
    QtProcessLauncher m_launcher;
};

// Excel keeps the sheet it showed in the WINDOW1 record of the workbook globals. An office
// converting without a window always writes the first; make it the second, as a user would.
bool makeSecondSheetActive(const QString& path)
{
    QByteArray bytes = read(path);
    const QByteArray window1 = QByteArray::fromHex("3d001200"); // type 0x3D, 18 bytes
    const qsizetype at = bytes.indexOf(window1);
    if (at < 0 || bytes.indexOf(window1, at + 1) >= 0)
        return false;
    bytes[at + 4 + 10] = 1; // itabCur, little-endian
    bytes[at + 4 + 11] = 0;
    return write(path, bytes);
}

OfficeDocuments make()
{
    static QTemporaryDir dir;
    OfficeDocuments docs;
    docs.folder = dir.path();
    docs.office = FindProgram("soffice");
    if (docs.office.isEmpty()) {
        docs.error = "LibreOffice (soffice) is not installed: run scripts/setup.sh";
        return docs;
    }
    const QString profile = docs.folder + "/maker-profile";
    if (!PrimeOfficeProfile(profile, InstalledOfficeVersion(docs.office)))
        docs.error = "could not prime the office profile for " + docs.office;
    const QString sources = docs.folder + "/sources";
    QDir().mkpath(sources);
    Maker maker(docs, profile);

    const auto source = [&](const QString& name, const QString& marker) {
        const QString path = sources + '/' + name + ".html";
        write(path, html(marker).toUtf8());
        return path;
    };
    docs.doc = maker.convert(source("letter-doc", "Quincedoc"), "doc:MS Word 97");
    docs.rtf = maker.convert(source("letter-rtf", "Quincertf"), "rtf:Rich Text Format");
    docs.docx = maker.convert(source("letter-docx", "Quincedocx"), "docx:MS Word 2007 XML");
    docs.odt = maker.convert(source("letter-odt", "Quinceodt"), "odt:writer8");
    docs.txt = docs.folder + "/note.csv"; // laid out by the office's text import
    write(docs.txt, "Plain notes with the word Quincetxt\nand a second line\n");

    const QString sheets = sources + "/book.fods";
    write(sheets, kSheets);
    docs.workbook = maker.convert(sheets, "xls:MS Excel 97");
    if (!makeSecondSheetActive(docs.workbook))
        maker.fail("no single WINDOW1 record in " + docs.workbook);
    docs.sheetsOds = maker.convert(sheets, "ods:calc8");

    QByteArray ledger = kLetterSheetsHead;
    for (int row = 1; row <= 60; ++row) {
        ledger += "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Entry " +
                  QByteArray::number(row) + "</text:p></table:table-cell>";
        for (int column = 1; column <= 8; ++column)
            ledger += "<table:table-cell office:value-type=\"float\" office:value=\"" +
                      QByteArray::number(row * column) + "\"/>";
        ledger += "</table:table-row>\n";
    }
    const QString letterSheets = sources + "/ledger.fods";
    write(letterSheets, ledger + kLetterSheetsTail);
    docs.letterWorkbook = maker.convert(letterSheets, "xls:MS Excel 97");
    if (!makeSecondSheetActive(docs.letterWorkbook))
        maker.fail("no single WINDOW1 record in " + docs.letterWorkbook);

    docs.lockedDoc = maker.protect(docs.doc, docs.folder + "/locked.doc", "MS Word 97");
    docs.lockedOdt = maker.protect(docs.odt, docs.folder + "/locked.odt", "writer8");

    docs.truncated = docs.folder + "/truncated.doc";
    write(docs.truncated, read(docs.doc).left(5000));
    docs.garbage = docs.folder + "/garbage.doc";
    QByteArray noise(8000, '\0');
    QRandomGenerator(42).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    write(docs.garbage, noise);

    // About 4 s per megabyte here; no machine lays out 4 MB in the second the tests allow.
    QByteArray text;
    const QByteArray line = "A line of plain words that the office lays out again and again.\n";
    while (text.size() < 4 * 1024 * 1024)
        text += line;
    docs.longText = docs.folder + "/long.csv";
    write(docs.longText, text);
    return docs;
}

QList<qint64> processesWith(const QByteArray& program, const QString& profile)
{
    QList<qint64> found;
    const QByteArray profilePath = QFile::encodeName(profile);
    const QByteArray profileUrl = QUrl::fromLocalFile(profile).toEncoded();
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QByteArray line = read("/proc/" + entry + "/cmdline");
        const QByteArray stat = read("/proc/" + entry + "/stat");
        if (stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z")
            continue; // a zombie has ended
        line.replace('\0', ' ');
        // Arguments end in a blank here, so a profile is not mistaken for a longer name.
        if (line.contains(program) &&
            (line.contains(profilePath + ' ') || line.contains(profileUrl + ' ')))
            found.append(pid);
    }
    return found;
}

} // namespace

const OfficeDocuments& OfficeDocuments::get()
{
    static const OfficeDocuments docs = make();
    return docs;
}

QList<LinkingDocument> MakeLinkingDocuments(const QString& folder, const QString& target,
                                            QString* error)
{
    const OfficeDocuments& shared = OfficeDocuments::get();
    OfficeDocuments made;
    made.folder = folder;
    made.office = shared.office;
    made.error = shared.error;
    // The makers' profile is primed like the worker's: the office keeps the links as they are
    // without fetching anything while it makes the documents.
    Maker maker(made, shared.folder + "/maker-profile");
    const QString escaped = target.toHtmlEscaped();

    const QString text = folder + "/linking.fodt";
    const QString sheet = folder + "/linking.fods";
    write(text, QString::fromUtf8(kLinkingText).arg(escaped).toUtf8());
    write(sheet, QString::fromUtf8(kLinkingSheet).arg(escaped).toUtf8());
    write(folder + "/included.rtf", QString::fromUtf8(kLinkingRtf).arg(target).toUtf8());
    write(folder + "/page.doc", QString::fromUtf8(kLinkingPage).arg(escaped).toUtf8());
    const QList<LinkingDocument> documents{
        {maker.convert(text, "odt:writer8"), Route::Shell},
        {maker.convert(text, "docx:MS Word 2007 XML"), Route::Shell},
        {maker.convert(text, "doc:MS Word 97"), Route::Word},
        {maker.convert(sheet, "ods:calc8"), Route::Shell},
        {maker.convert(sheet, "xls:MS Excel 97"), Route::Excel},
        {folder + "/included.rtf", Route::Word},
        {folder + "/page.doc", Route::Word},
    };
    *error = made.error;
    return made.error.isEmpty() ? documents : QList<LinkingDocument>();
}

QString MakeMemoryBomb(const QString& folder)
{
    const QString path = folder + "/numbers.fods";
    write(path, kMemoryBomb);
    return path;
}

QList<qint64> OfficeProcesses(const QString& profile)
{
    return processesWith("soffice.bin", profile);
}

QList<qint64> WorkerProcesses(const QString& profile)
{
    return processesWith("corvanta-office-worker", profile);
}

bool ProcessesEnd(const QList<qint64>& pids, int limitMs)
{
    QDeadlineTimer deadline(limitMs);
    for (;;) {
        bool left = false;
        for (qint64 pid : pids) {
            // A killed process's main thread turns zombie before its other threads are gone,
            // and only then can its parent see the end: wait for the last thread too.
            const QByteArray stat = read(QStringLiteral("/proc/%1/stat").arg(pid));
            const bool zombie = stat.mid(stat.lastIndexOf(')') + 2, 1) == "Z";
            const qsizetype threads = QDir(QStringLiteral("/proc/%1/task").arg(pid))
                                          .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                                          .size();
            left = left || (!stat.isEmpty() && (!zombie || threads > 1));
        }
        if (!left)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20); // polling with a deadline
    }
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}
