#include "pdfprinter/PrinterSettings.h"

#include "pdfprinter/PdfPrinterLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr QFile::Permissions kOwnerOnlyFolder =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

const QString kProfiles = QStringLiteral("Profiles/");
const QString kCreated = QStringLiteral("/Created");
const QString kTexts = QStringLiteral("/Text/");
const QString kNumbers = QStringLiteral("/Number/");
const QString kCurrentDefault = QStringLiteral("DefaultPrinter/Current");
const QString kPreviousDefault = QStringLiteral("DefaultPrinter/Previous");

// QSettings reads '/' and '\' as group separators; a profile name keeps them as escapes.
QString groupName(const QString& name)
{
    QString escaped = name;
    escaped.replace('%', QLatin1String("%25"));
    escaped.replace('/', QLatin1String("%2F"));
    escaped.replace('\\', QLatin1String("%5C"));
    return escaped;
}

QString profileKey(const QString& profile)
{
    return kProfiles + groupName(profile);
}

} // namespace

PrinterSettings::PrinterSettings(const QString& fileName)
    : m_settings(fileName, QSettings::IniFormat)
{
    // The folder is the user's alone: it also holds the bulk conversion's settings.
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    if (folder.endsWith(QLatin1String("/Corvanta")))
        QFile::setPermissions(folder, kOwnerOnlyFolder);
}

QString PrinterSettings::defaultFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Corvanta/pdfprinter.ini");
}

bool PrinterSettings::store()
{
    m_settings.sync();
    // Each write makes the file anew, with the umask's mode: it is kept the owner's alone.
    if (QFile::exists(m_settings.fileName()))
        QFile::setPermissions(m_settings.fileName(), QFile::ReadOwner | QFile::WriteOwner);
    if (m_settings.status() == QSettings::NoError)
        return true;
    qCWarning(lcPdfPrinter) << "cannot write the printer settings" << m_settings.fileName();
    return false;
}

bool PrinterSettings::hasProfile(const QString& profile)
{
    m_settings.sync(); // another process may have created or removed it
    return m_settings.contains(profileKey(profile) + kCreated);
}

bool PrinterSettings::createProfile(const QString& profile)
{
    if (hasProfile(profile))
        return true;
    m_settings.setValue(profileKey(profile) + kCreated, true);
    return store();
}

bool PrinterSettings::removeProfile(const QString& profile)
{
    if (!hasProfile(profile))
        return false;
    m_settings.remove(profileKey(profile));
    return store();
}

bool PrinterSettings::setText(const QString& profile, const QString& option, const QString& value)
{
    if (!hasProfile(profile))
        return false;
    m_settings.setValue(profileKey(profile) + kTexts + option, value);
    return store();
}

bool PrinterSettings::setNumber(const QString& profile, const QString& option, int value)
{
    if (!hasProfile(profile))
        return false;
    m_settings.setValue(profileKey(profile) + kNumbers + option, value);
    return store();
}

ProfileValues PrinterSettings::values(const QString& profile)
{
    ProfileValues values;
    if (!hasProfile(profile))
        return values;
    m_settings.beginGroup(profileKey(profile) + kTexts.chopped(1));
    for (const QString& key : m_settings.childKeys())
        values.texts.insert(key, m_settings.value(key).toString());
    m_settings.endGroup();
    m_settings.beginGroup(profileKey(profile) + kNumbers.chopped(1));
    for (const QString& key : m_settings.childKeys())
        values.numbers.insert(key, m_settings.value(key).toInt());
    m_settings.endGroup();
    return values;
}

QString PrinterSettings::defaultPrinter()
{
    m_settings.sync();
    return m_settings.value(kCurrentDefault).toString();
}

bool PrinterSettings::makeDefault(const QString& printer)
{
    const QString current = defaultPrinter();
    // A second call before a restore keeps the first default, so a run that died in between
    // still gets the user's own printer back.
    if (!m_settings.contains(kPreviousDefault))
        m_settings.setValue(kPreviousDefault, current);
    m_settings.setValue(kCurrentDefault, printer);
    return store();
}

bool PrinterSettings::restorePreviousDefault()
{
    m_settings.sync();
    if (!m_settings.contains(kPreviousDefault))
        return true;
    const QString previous = m_settings.value(kPreviousDefault).toString();
    if (previous.isEmpty())
        m_settings.remove(kCurrentDefault);
    else
        m_settings.setValue(kCurrentDefault, previous);
    m_settings.remove(kPreviousDefault);
    return store();
}
