#pragma once

#include "conversion/DocumentRenderer.h"

// Web pages go to the web renderer, everything else to the office renderer.
class RouteRenderers final : public DocumentRenderer
{
public:
    RouteRenderers(DocumentRenderer& office, DocumentRenderer& web) : m_office(office), m_web(web)
    {
    }

    void renderToPdf(Route route, const QString& document, const QString& pdfFile) override
    {
        (route == Route::Browser ? m_web : m_office).renderToPdf(route, document, pdfFile);
    }

private:
    DocumentRenderer& m_office;
    DocumentRenderer& m_web;
};
