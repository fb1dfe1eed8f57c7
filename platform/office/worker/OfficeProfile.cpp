#include "platform/office/worker/OfficeProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

const char kRegistryHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                             "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
const char kRegistryTail[] = "</oor:items>";

QByteArray versionItem(const QString& version)
{
    return "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" "
           "oor:op=\"fuse\"><value>" +
           version.toHtmlEscaped().toUtf8() + "</value></prop></item>\n";
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
    if (registry.contains("\"ooSetupLastVersion\""))
        return true;
    const qsizetype tail = registry.lastIndexOf(kRegistryTail);
    if (tail < 0)
        registry = QByteArray(kRegistryHead) + versionItem(version) + kRegistryTail + '\n';
    else
        registry.insert(tail, versionItem(version));

    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(registry) == registry.size() &&
           file.commit();
}
