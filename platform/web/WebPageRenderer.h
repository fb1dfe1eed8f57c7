#pragma once

#include "conversion/DocumentRenderer.h"

#include <QByteArray>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

class PageFolderGuard;
class QWebEnginePage;
class QWebEngineProfile;

// Lays out web pages with Qt WebEngine, as a browser prints them. The engine is started at the
// first page and kept; a page with its profile is kept while the pages come from one folder, so
// that pages of different folders share nothing. While a page prints, a second page of the same
// profile loads and prints the next document the run prepared, so the two overlap. Every page is
// taken as hostile: it reads only its own folder (PageFolderGuard), reaches no network, may hold
// kPageMemoryMb, and its scripts run only while it is converted. Its waits report progress; a stop
// drops the page and throws RunStopped.
class WebPageRenderer final : public DocumentRenderer
{
public:
    // The memory a page's renderer may hold of its own, its scripts' heap included: twice what
    // a heavy page needs (twenty 9-megapixel pictures and a table, 140 pages: 500 MB at most),
    // and still room on a desktop machine beside the rest of a run.
    static constexpr int kPageMemoryMb = 1024;

    // `waitLimit` bounds the wait for a page to become ready to print, and the printing itself.
    explicit WebPageRenderer(std::chrono::milliseconds waitLimit = std::chrono::seconds(60));
    ~WebPageRenderer() override;

    void renderToPdf(Route route, const DocumentSource& document, const QString& pdfFile) override;
    // The engine, and the page of the document's folder, are made now: they take a moment
    // that the run spends on the documents before. The first document prepared that is not
    // converted yet is loaded ahead of its turn.
    void prepare(Route route, const DocumentSource& document) override;
    void forgetPrepared() override;

    // Must be called before the QApplication exists: WebEngine shares its OpenGL contexts, and
    // reads its switches (the ones that confine a page among them) when it starts.
    static void prepareApplication();

private:
    enum class Wait;
    struct PageAhead;
    // How far the page ahead had come with the page asked for, when it had it.
    enum class Ahead
    {
        No,
        Loading,
        Printing,
    };

    QWebEnginePage& pageIn(const QString& folder);
    std::unique_ptr<QWebEnginePage> newPage();
    void dropPage();
    void loadAhead();
    void allowPages();
    Ahead takePageAhead(const QString& page, std::optional<bool>& loaded);
    void startPrinting(QWebEnginePage& page);
    bool endedForMemory(QWebEnginePage& page);
    template <typename T> Wait waitFor(std::optional<T>& done);
    void watchMemory();
    void watchAhead();
    QString rendererEndedText(const QString& document) const;

    std::chrono::milliseconds m_waitLimit;
    std::unique_ptr<PageFolderGuard> m_guard; // outlives the profile that calls it
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_page;
    std::optional<QByteArray> m_printed; // the converted page's PDF, once printed
    QString m_current;                   // the real path of the page converted now
    std::unique_ptr<PageAhead> m_ahead;  // the second page, loading the next document
    QStringList m_wanted;                // prepared and not yet converted, in the run's order
    QTimer m_aheadWatch;
    // How the page's renderer ended while a page was being converted, if it did.
    std::optional<int> m_rendererEnded;
    bool m_endedForMemory = false;
};
