#include "office/worker/OfficeProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace {

const char kRegistryHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                             "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
const char kRegistryTail[] = "</oor:items>";

struct Setting
{
    const char* path;
    const char* name;
    const char* value;
};

// A document must not make the office reach out. Each setting was checked against documents
// that link to a local web server and to local files.
constexpr Setting kSafetySettings[] = {
    // Linked pictures of Writer documents (ODF, Word 97 and 2007, HTML) are neither fetched
    // nor read from disk: every document counts as coming from an untrusted place, and this
    // profile trusts none.
    {"/org.openoffice.Office.Common/Security/Scripting", "BlockUntrustedRefererLinks", "true"},
    // What the office still fetches by other ways (pictures in spreadsheets and presentations,
    // an HTML page's backgrounds, Word 97's check that a linked picture exists) goes to a
    // proxy on a closed port of this computer, the localhost included. The port is below 1024,
    // so no unprivileged program can listen there for what a document asks.
    {"/org.openoffice.Inet/Settings", "ooInetProxyType", "2"}, // manual
    {"/org.openoffice.Inet/Settings", "ooInetNoProxy", ""},
    {"/org.openoffice.Inet/Settings", "ooInetHTTPProxyName", "127.0.0.1"},
    {"/org.openoffice.Inet/Settings", "ooInetHTTPProxyPort", "1"},
    {"/org.openoffice.Inet/Settings", "ooInetHTTPSProxyName", "127.0.0.1"},
    {"/org.openoffice.Inet/Settings", "ooInetHTTPSProxyPort", "1"},
    {"/org.openoffice.Inet/Settings", "ooInetFTPProxyName", "127.0.0.1"},
    {"/org.openoffice.Inet/Settings", "ooInetFTPProxyPort", "1"},
    // Links (DDE, OLE, linked sections, external cells, WEBSERVICE) are never updated. The
    // office already refuses to update them for documents outside trusted places and the load
    // asks for no update; these keep it so should trusted places ever be configured.
    {"/org.openoffice.Office.Writer/Content/Update", "Link", "0"}, // never
    {"/org.openoffice.Office.Calc/Content/Update", "Link", "1"},   // never
};

QByteArray item(const char* path, const char* name, const QString& value)
{
    return QByteArray("<item oor:path=\"") + path + "\"><prop oor:name=\"" + name +
           "\" oor:op=\"fuse\"><value>" + value.toHtmlEscaped().toUtf8() + "</value></prop></item>";
}

// The office writes one item a line; a line that sets one of ours is replaced, not repeated.
bool setsOneOfOurs(const QByteArray& line)
{
    return std::ranges::any_of(kSafetySettings, [&](const Setting& setting) {
        return line.contains(QByteArray("oor:path=\"") + setting.path + "\"") &&
               line.contains(QByteArray("oor:name=\"") + setting.name + "\"");
    });
}

} // namespace

QString InstalledOfficeVersion(const QString& officeProgram)
{
    // soffice is usually reached through a link; its rc files sit beside the real program.
    const QString folder = QFileInfo(QFileInfo(officeProgram).canonicalFilePath()).path();
    QFile rc(folder + "/bootstraprc");
    if (!rc.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    // "ProductKey=LibreOffice 7.4"
    static const QRegularExpression key(QStringLiteral("^ProductKey=.*?(\\d+\\.\\d+)\\s*$"),
                                        QRegularExpression::MultilineOption);
    const auto match = key.match(QString::fromUtf8(rc.readAll()));
    return match.hasMatch() ? match.captured(1) : QString();
}

bool PrimeOfficeProfile(const QString& folder, const QString& version)
{
    if (version.isEmpty())
        return false;
    const QString userFolder = folder + "/user";
    if (!QDir().mkpath(userFolder))
        return false;
    const QString path = userFolder + "/registrymodifications.xcu";

    QByteArray registry;
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly))
        registry = existing.readAll();
    const qsizetype tail = registry.lastIndexOf(kRegistryTail);
    QByteArray primed = tail < 0 ? QByteArray(kRegistryHead) : QByteArray();
    for (const QByteArray& line : registry.left(tail < 0 ? 0 : tail).split('\n')) {
        if (!line.isEmpty() && !setsOneOfOurs(line))
            primed += line + '\n';
    }
    if (!primed.contains("\"ooSetupLastVersion\""))
        primed += item("/org.openoffice.Setup/Product", "ooSetupLastVersion", version) + '\n';
    for (const Setting& setting : kSafetySettings)
        primed += item(setting.path, setting.name, QString::fromUtf8(setting.value)) + '\n';
    primed += QByteArray(kRegistryTail) + '\n';
    if (primed == registry)
        return true;

    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(primed) == primed.size() && file.commit();
}
