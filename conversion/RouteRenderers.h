#pragma once

#include "conversion/DocumentRenderer.h"

// Web pages go to the web renderer, everything else to the office renderer.
class RouteRenderers final : public DocumentRenderer
{
public:
    RouteRenderers(DocumentRenderer& office, DocumentRenderer& web) : m_office(office), m_web(web)
    {
    }

    void renderToPdf(Route route, const DocumentSource& document, const QString& pdfFile) override
    {
        rendererOf(route).renderToPdf(route, document, pdfFile);
    }
    void prepare(Route route, const DocumentSource& document) override
    {
        rendererOf(route).prepare(route, document);
    }
    void warmUp() override { m_office.warmUp(); }
    void forgetPrepared() override
    {
        m_office.forgetPrepared();
        m_web.forgetPrepared();
    }

private:
    DocumentRenderer& rendererOf(Route route) { return route == Route::Browser ? m_web : m_office; }

    DocumentRenderer& m_office;
    DocumentRenderer& m_web;
};
