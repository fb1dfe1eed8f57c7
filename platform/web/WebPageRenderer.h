#pragma once

#include "conversion/DocumentRenderer.h"

#include <chrono>
#include <memory>

class QWebEnginePage;
class QWebEngineProfile;

// Lays out web pages with Qt WebEngine, as a browser prints them. The engine is started at the
// first page and kept for the following ones; its pages render in processes of their own. Its
// waits report progress; a stop drops the page and throws RunStopped.
class WebPageRenderer final : public DocumentRenderer
{
public:
    // `waitLimit` bounds the wait for a page to become ready to print, and the printing itself.
    explicit WebPageRenderer(std::chrono::milliseconds waitLimit = std::chrono::seconds(60));
    ~WebPageRenderer() override;

    void renderToPdf(Route route, const QString& document, const QString& pdfFile) override;

    // Must be called before the QApplication exists (WebEngine shares its OpenGL contexts).
    static void prepareApplication();

private:
    QWebEnginePage& page();
    void dropPage();

    std::chrono::milliseconds m_waitLimit;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<QWebEnginePage> m_page;
};
