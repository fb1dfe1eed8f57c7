#include "helpviewer/ChmHelpEngine.h"

#include "helpviewer/ChmFile.h"
#include "helpviewer/HelpWindow.h"

namespace {

// "file::/topic.htm" or "file" alone.
struct FileAndTopic
{
    QString file;
    QString topic;
};

FileAndTopic split(const QString& request)
{
    const qsizetype at = request.lastIndexOf(QLatin1String("::"));
    if (at < 0)
        return {request, {}};
    return {request.left(at), request.mid(at + 2)};
}

} // namespace

ChmHelpEngine::~ChmHelpEngine()
{
    closeAll();
}

void ChmHelpEngine::showTopic(const QString& fileAndTopic)
{
    const FileAndTopic request = split(fileAndTopic);
    if (!m_window) {
        m_window = new HelpWindow;
        m_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (m_window->filePath() == request.file) {
        m_window->showTopic(request.topic);
    } else {
        QString why;
        std::unique_ptr<ChmFile> file = ChmFile::open(request.file, &why);
        if (file)
            m_window->showFile(std::move(file), request.file, request.topic);
        else
            m_window->showNotice(
                QStringLiteral("The help file %1 cannot be opened: %2.").arg(request.file, why));
    }
    m_window->show();
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->raise();
    m_window->activateWindow();
}

HelpWindow* ChmHelpEngine::window() const
{
    return m_window;
}

void ChmHelpEngine::closeAll()
{
    if (m_window)
        delete m_window.data();
}
