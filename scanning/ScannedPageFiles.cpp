#include "scanning/ScannedPageFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString kOwnersFolder = QStringLiteral("scan-owners/");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kNamesSuffix = QStringLiteral(".pages");
constexpr int kNamesTried = 10000; // far more than any scanner feeds; bounds a folder gone odd

QStringList pageFilesIn(const QString& folder)
{
    return QDir(folder).entryList({kScannedPagePrefix + QStringLiteral("*.jpg")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

QString pageName(int number)
{
    return kScannedPagePrefix + QString::number(number) + QStringLiteral(".jpg");
}

QSet<QString> namesListedIn(const QString& path)
{
    QSet<QString> names;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                names.insert(QString::fromUtf8(line));
        }
    }
    return names;
}

} // namespace

ScannedPageFiles::ScannedPageFiles(QString folder)
    : m_folder(std::move(folder)), m_ownersFolder(m_folder + kOwnersFolder)
{
    QDir().mkpath(m_ownersFolder);
    // The lock comes before the list of names: a list without its lock is always a dead one's.
    for (int attempt = 0; attempt < 8 && !m_lock; ++attempt) {
        const QString id = QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-') +
                           QString::number(QRandomGenerator::global()->generate(), 16);
        auto lock = std::make_unique<QLockFile>(m_ownersFolder + id + kLockSuffix);
        lock->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_lockName = id + kLockSuffix;
            m_names = m_ownersFolder + id + kNamesSuffix;
        }
    }
    removeUnowned();
}

ScannedPageFiles::~ScannedPageFiles()
{
    if (m_lock) {
        QFile::remove(m_names);
        m_lock->unlock();
    }
}

int ScannedPageFiles::NextPageNumber(const QString& folder, int imageCount)
{
    static const QRegularExpression number(QStringLiteral("^") + kScannedPagePrefix +
                                           QStringLiteral("(\\d+)\\.jpg$"));
    int highest = 0;
    for (const QString& name : pageFilesIn(folder)) {
        const QRegularExpressionMatch match = number.match(name);
        if (match.hasMatch())
            highest = std::max(highest, match.captured(1).toInt());
    }
    return std::max(imageCount, highest + 1);
}

// A window that is starting looks only after it has listed the page files, so a page another
// window claims meanwhile is either not among them or already in that window's list.
void ScannedPageFiles::removeUnowned()
{
    const QStringList pages = pageFilesIn(m_folder);
    if (pages.isEmpty())
        return;
    QSet<QString> owned;
    QDir owners(m_ownersFolder);
    for (const QString& lockName :
         owners.entryList({QLatin1Char('*') + kLockSuffix}, QDir::Files)) {
        const QString names = m_ownersFolder + lockName.chopped(kLockSuffix.size()) + kNamesSuffix;
        if (m_lock && lockName == m_lockName)
            continue;
        QLockFile other(m_ownersFolder + lockName);
        other.setStaleLockTime(0);
        if (other.tryLock(0)) { // its window is gone: so is its claim
            QFile::remove(names);
            other.unlock();
        } else if (other.error() == QLockFile::LockFailedError) {
            owned.unite(namesListedIn(names));
        } else {
            return; // whose pages these are cannot be told: none is removed
        }
    }
    // Lists left without their lock are a dead window's too.
    for (const QString& list : owners.entryList({QLatin1Char('*') + kNamesSuffix}, QDir::Files)) {
        if (!owners.exists(list.chopped(kNamesSuffix.size()) + kLockSuffix))
            owners.remove(list);
    }
    QDir folder(m_folder);
    for (const QString& page : pages) {
        if (!owned.contains(page))
            folder.remove(page); // one that cannot be removed is tried again at the next start
    }
}

bool ScannedPageFiles::registerName(const QString& name)
{
    if (!m_lock)
        return false;
    QFile names(m_names);
    if (!names.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = name.toUtf8() + '\n';
    return names.write(line) == line.size() && names.flush();
}

QString ScannedPageFiles::claim(int imageCount, QString* error)
{
    int number = NextPageNumber(m_folder, imageCount);
    for (int tried = 0; tried < kNamesTried; ++tried, ++number) {
        const QString name = pageName(number);
        // Named as this window's before the file exists, so a window starting meanwhile that
        // sees the file also sees whose it is.
        if (!registerName(name)) {
            *error = QStringLiteral("the list of this window's pages in %1 cannot be written")
                         .arg(m_ownersFolder);
            return {};
        }
        QFile file(m_folder + name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_pages.append(file.fileName());
            return file.fileName();
        }
        if (!file.exists()) {
            *error = file.errorString();
            return {};
        }
        // Another window took this number a moment ago: the next one.
    }
    *error = QStringLiteral("no free page name in %1").arg(m_folder);
    return {};
}

void ScannedPageFiles::release(const QString& path)
{
    if (m_pages.removeOne(path))
        QFile::remove(path);
}

QStringList ScannedPageFiles::pages() const
{
    QStringList there;
    for (const QString& page : m_pages) {
        if (QFile::exists(page))
            there.append(page);
    }
    return there;
}

void ScannedPageFiles::deleteOwn()
{
    for (const QString& page : std::as_const(m_pages))
        QFile::remove(page); // a page that cannot be deleted is skipped silently
    m_pages.clear();
}
