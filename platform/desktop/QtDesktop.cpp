#include "common/Desktop.h"

#include "platform/files/ScratchArea.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace {

// The editor or browser started here outlives this run, so it gets the temporary folder from
// before the run's scratch area, which is removed when the program ends.
class OuterTemporaryFolder
{
public:
    OuterTemporaryFolder() : m_outer(ScratchArea::outerTemporaryFolder())
    {
        if (m_outer.isEmpty())
            return;
        m_saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(m_outer));
    }
    ~OuterTemporaryFolder()
    {
        if (!m_outer.isEmpty())
            qputenv("TMPDIR", m_saved);
    }

private:
    QString m_outer;
    QByteArray m_saved;
};

} // namespace

bool QtDesktop::openFile(const QString& path)
{
    OuterTemporaryFolder outer;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtDesktop::openUrl(const QString& address)
{
    OuterTemporaryFolder outer;
    return QDesktopServices::openUrl(QUrl(address));
}
