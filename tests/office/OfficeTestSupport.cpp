#include "tests/office/OfficeTestSupport.h"
#include "tests/support/TestProgress.h"

#include <QElapsedTimer>

std::string RenderMessage(DocumentRenderer& renderer, Route route, const QString& document,
                          const QString& pdf, std::chrono::milliseconds* took)
{
    QElapsedTimer clock;
    clock.start();
    std::string message;
    try {
        renderer.renderToPdf(route, document, pdf, unwatched());
    } catch (const RenderError& error) {
        message = error.what();
        if (message.empty())
            message = "RenderError without a text";
    }
    if (took)
        *took = std::chrono::milliseconds(clock.elapsed());
    return message;
}
