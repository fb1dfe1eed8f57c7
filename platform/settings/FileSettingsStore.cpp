#include "platform/settings/FileSettingsStore.h"

#include "platform/settings/SettingsDocument.h"
#include "platform/settings/SettingsLog.h"
#include "platform/settings/SettingsText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr QFile::Permissions kFileMode = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kFolderMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
// Another process writing at the same moment holds the lock for milliseconds.
constexpr int kLockWaitMs = 5000;
const QString kNewFileComment =
    QStringLiteral("; Corvanta settings: [key path], then name=type:value lines. "
                   "Types: string, expandstring, integer, binary.");

bool fail(SettingsError& error, SettingsError::Code code, const QString& text)
{
    error = {code, text};
    if (code != SettingsError::Code::NotFound)
        qCWarning(lcSettings).noquote() << text;
    return false;
}

bool isMissing(const std::error_code& code)
{
    return code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory;
}

// An unattended run does what the stored settings say, so like other tools that run from a
// stored configuration it trusts only a file of the user's own that no one else may change.
QString untrustedBecause(const QFile& opened)
{
#ifdef Q_OS_UNIX
    struct stat info = {};
    if (::fstat(opened.handle(), &info) != 0)
        return QStringLiteral("its owner cannot be told");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    const bool othersMayWrite = info.st_mode & (S_IWGRP | S_IWOTH);
#else
    const bool othersMayWrite = opened.permissions() & (QFile::WriteGroup | QFile::WriteOther);
#endif
    if (othersMayWrite)
        return QStringLiteral("others may change it (make it writable by its owner only: "
                              "chmod 600)");
    return {};
}

} // namespace

FileSettingsStore::FileSettingsStore(const QString& fileName)
    : m_fileName(fileName.isEmpty() ? defaultFileName() : fileName), m_ownFolder(fileName.isEmpty())
{
}

QString FileSettingsStore::defaultFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Corvanta/settings.ini");
}

std::optional<bool> FileSettingsStore::keyExists(const QString& key, SettingsError& error) const
{
    if (!SettingsText::isValidKeyPath(key)) {
        fail(error, SettingsError::Code::InvalidName, QStringLiteral("invalid key [%1]").arg(key));
        return std::nullopt;
    }
    const std::optional<SettingsDocument> document = load(error);
    if (!document)
        return std::nullopt;
    return document->hasKey(key);
}

std::optional<SettingsType> FileSettingsStore::valueType(const QString& key, const QString& name,
                                                         SettingsError& error) const
{
    const std::optional<SettingsValue> value = readValue(key, name, error);
    if (!value)
        return std::nullopt;
    return value->type();
}

std::optional<SettingsValue> FileSettingsStore::readValue(const QString& key, const QString& name,
                                                          SettingsError& error) const
{
    if (!SettingsText::isValidKeyPath(key)) {
        fail(error, SettingsError::Code::InvalidName, QStringLiteral("invalid key [%1]").arg(key));
        return std::nullopt;
    }
    const std::optional<SettingsDocument> document = load(error);
    if (!document)
        return std::nullopt;
    std::optional<SettingsValue> value = document->value(key, name);
    if (!value)
        fail(error, SettingsError::Code::NotFound,
             QStringLiteral("no value \"%1\" in [%2] of %3").arg(name, key, m_fileName));
    return value;
}

bool FileSettingsStore::writeValue(const QString& key, const QString& name,
                                   const SettingsValue& value, SettingsError& error)
{
    if (!SettingsText::isValidKeyPath(key))
        return fail(error, SettingsError::Code::InvalidName,
                    QStringLiteral("invalid key [%1]").arg(key));
    if (!makeFolder(error))
        return false;
    // Read, change and replace the file as one step against other processes doing the same.
    QLockFile lock(m_fileName + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return fail(error, SettingsError::Code::WriteFailed,
                    QStringLiteral("%1 is locked by another process").arg(m_fileName));
    std::optional<SettingsDocument> document = load(error);
    if (!document) {
        if (error.code == SettingsError::Code::Damaged)
            error.text += QStringLiteral("; not written, so that nothing of it is lost");
        return false;
    }
    if (document->isEmpty()) {
        QString none;
        document = SettingsDocument::parse(kNewFileComment.toUtf8(), none);
    }
    document->setValue(key, name, value);
    if (!save(*document, error))
        return false;
    qCDebug(lcSettings).noquote() << "wrote" << name << "in" << key;
    return true;
}

std::optional<SettingsDocument> FileSettingsStore::load(SettingsError& error) const
{
    std::error_code code;
    const auto status = std::filesystem::status(m_fileName.toStdU16String(), code);
    if (isMissing(code) || (!code && status.type() == std::filesystem::file_type::not_found))
        return SettingsDocument();
    if (code) {
        fail(error, SettingsError::Code::ReadFailed,
             QStringLiteral("cannot read %1: %2")
                 .arg(m_fileName, QString::fromStdString(code.message())));
        return std::nullopt;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        fail(error, SettingsError::Code::ReadFailed,
             QStringLiteral("cannot read %1: it is a folder").arg(m_fileName));
        return std::nullopt;
    }
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, SettingsError::Code::ReadFailed,
             QStringLiteral("cannot read %1: %2").arg(m_fileName, file.errorString()));
        return std::nullopt;
    }
    // Checked on the file opened, so it cannot be swapped after the check.
    const QString untrusted = untrustedBecause(file);
    if (!untrusted.isEmpty()) {
        fail(error, SettingsError::Code::ReadFailed,
             QStringLiteral("%1 is not used: %2").arg(m_fileName, untrusted));
        return std::nullopt;
    }
    QString problem;
    std::optional<SettingsDocument> document = SettingsDocument::parse(file.readAll(), problem);
    if (!document)
        fail(error, SettingsError::Code::Damaged,
             QStringLiteral("%1 is damaged, %2").arg(m_fileName, problem));
    return document;
}

bool FileSettingsStore::save(const SettingsDocument& document, SettingsError& error) const
{
    QSaveFile file(m_fileName);
    // The temporary file gets its mode before it holds anything.
    const bool written = file.open(QIODevice::WriteOnly) && file.setPermissions(kFileMode) &&
                         file.write(document.toUtf8()) >= 0 && file.commit();
    if (!written)
        return fail(error, SettingsError::Code::WriteFailed,
                    QStringLiteral("cannot write %1: %2").arg(m_fileName, file.errorString()));
    return true;
}

bool FileSettingsStore::makeFolder(SettingsError& error) const
{
    const QFileInfo folder(QFileInfo(m_fileName).absolutePath());
    if (folder.isDir()) {
        // The program's own folder is kept private; a folder named by the caller is theirs.
        if (m_ownFolder && (folder.permissions() & kOthers) &&
            !QFile::setPermissions(folder.filePath(), kFolderMode))
            qCWarning(lcSettings).noquote() << "cannot make" << folder.filePath() << "private";
        return true;
    }
    if (!QDir().mkpath(folder.absolutePath()) || !QDir().mkdir(folder.filePath(), kFolderMode))
        return fail(error, SettingsError::Code::WriteFailed,
                    QStringLiteral("cannot create the folder %1").arg(folder.filePath()));
    return true;
}
