#pragma once

#include "web/WebProtocol.h"
#include "web/worker/PageFolderScheme.h"

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

class PageFolderGuard;
class QWebEnginePage;
class QWebEngineProfile;

// Lays out web pages and drawings with Qt WebEngine, as a browser prints them. A page with its
// profile is kept while the pages come from one folder, so that pages of different folders
// share nothing. While a page prints, a second page of the same profile loads and prints the
// next document prepared, so the two overlap. Every page is taken as hostile: it reads only its
// own folder (PageFolderScheme), reaches no network (PageFolderGuard), may hold `pageMemoryMb`,
// and its scripts run only while it is converted.
class PageEngine
{
public:
    PageEngine(std::chrono::milliseconds waitLimit, int pageMemoryMb);
    ~PageEngine();

    // The engine, and the page of the document's folder, are made now. The first document
    // prepared that is not converted yet is loaded ahead of its turn.
    void prepare(const WebRequest& request);
    WebAnswer render(const WebRequest& request);
    void forget();
    // Ends what a failed render left at work, once its answer is out: a renderer past its
    // memory is ended only now, since ending it may take the engine down with it.
    void settle();

private:
    enum class Wait;
    struct PageAhead;
    enum class Ahead
    {
        No,
        Loading,
        Printing,
    };

    bool takeBytes(const WebRequest& request);
    QWebEnginePage& pageIn(const QString& folder);
    std::unique_ptr<QWebEnginePage> newPage();
    void loadAhead();
    Ahead takePageAhead(const QString& page, std::optional<bool>& loaded);
    void startPrinting(QWebEnginePage& page, const QString& document);
    qint64 pastMemory(QWebEnginePage& page) const;
    template <typename T> Wait waitFor(std::optional<T>& done);
    void watchAhead();
    WebAnswer rendererEnded() const;
    void load(QWebEnginePage& page, const QString& document);

    std::chrono::milliseconds m_waitLimit;
    int m_pageMemoryMb;
    QHash<QString, HandedPage> m_handed;      // by listed path; outlives the scheme that serves it
    std::unique_ptr<PageFolderGuard> m_guard; // outlives the profile that calls it
    std::unique_ptr<PageFolderScheme> m_scheme; // likewise
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_page;
    std::optional<QByteArray> m_printed; // the converted page's PDF, once printed
    QString m_current;                   // the page converted now
    std::unique_ptr<PageAhead> m_ahead;  // the second page, loading the next document
    QStringList m_wanted;                // prepared and not yet converted, in their order
    QTimer m_aheadWatch;
    std::optional<int> m_rendererEnded; // how the converted page's renderer ended, if it did
    qint64 m_pastMemory = 0;            // the renderer that held more than a page may
    bool m_dropPage = false;
};
