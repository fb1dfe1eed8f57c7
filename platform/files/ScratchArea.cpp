#include "platform/files/ScratchArea.h"

#include "platform/files/FilesLog.h"
#include "platform/files/LockedFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kRunPrefix[] = "run-";
// The temporary folder our TMPDIR pointed at before; a program started by a run of ours (or
// queued by one: `at` keeps the caller's environment) makes its area there, not inside ours,
// which may be gone by then.
const char kOuterTemporaryFolder[] = "CORVANTA_OUTER_TMPDIR";

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

ScratchArea::ScratchArea(const QString& temporaryFolder)
{
    const QString base = temporaryFolder + QStringLiteral("/corvanta-%1").arg(::geteuid());
    const QByteArray encoded = QFile::encodeName(base);
    if (::mkdir(encoded.constData(), S_IRWXU) != 0 && errno != EEXIST) {
        m_error = base + QStringLiteral(": ") + systemError();
        return;
    }
    // Checked through the open folder, so it cannot be swapped after the check.
    const int folder = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) {
        m_error = base + QStringLiteral(": ") + systemError();
        return;
    }
    struct stat info = {};
    if (::fstat(folder, &info) != 0 || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        m_error = base + QStringLiteral(" belongs to another user or others may write in it");
        ::close(folder);
        return;
    }
    SweepAbandonedFolders(folder, QString::fromLatin1(kRunPrefix));
    m_folder = LockedFolder::create(folder, base, QString::fromLatin1(kRunPrefix), &m_error);
    ::close(folder);
}

ScratchArea::~ScratchArea() = default;

QString ScratchArea::path() const
{
    return m_folder ? m_folder->path() : QString();
}

QString ScratchArea::outerTemporaryFolder()
{
    return qEnvironmentVariable(kOuterTemporaryFolder);
}

std::unique_ptr<ScratchArea> ScratchArea::forThisRun()
{
    QString outer = qEnvironmentVariable(kOuterTemporaryFolder);
    if (!isFolder(outer))
        outer = QDir::tempPath();
    if (!isFolder(outer))
        outer = QStringLiteral("/tmp");
    auto area = std::make_unique<ScratchArea>(outer);
    if (!area->isValid()) {
        qCWarning(lcFiles).noquote() << "no private scratch folder:" << area->error();
        return area;
    }
    qputenv(kOuterTemporaryFolder, QFile::encodeName(outer));
    qputenv("TMPDIR", QFile::encodeName(area->path()));
    qCDebug(lcFiles) << "temporary files go to" << area->path();
    return area;
}
