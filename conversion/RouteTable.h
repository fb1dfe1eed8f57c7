#pragma once

#include "conversion/PrintRoute.h"

#include <QString>
#include <functional>
#include <memory>

class ImageRoute;
class QMimeType;

// True when the last four characters, upper-cased, name a picture type the picture route takes.
bool IsImageDocument(const QString& path);

// The routes documents are printed by, and the rules that pick each document's route from its
// path alone: the rules are tried in their order and the first that matches wins (see the table
// in the implementation); a path no rule matches goes to the shell route.
class RouteTable
{
public:
    // Whether the office lays out a document of this name or, when it is known, content type.
    using OfficeImports = std::function<bool(const QString& path, const QMimeType& content)>;

    struct Routes
    {
        std::unique_ptr<ImageRoute> image;
        std::unique_ptr<PrintRoute> word;
        std::unique_ptr<PrintRoute> excel;
        std::unique_ptr<PrintRoute> browser;
        std::unique_ptr<PrintRoute> plainText;
        std::unique_ptr<PrintRoute> shell;
    };

    // Every route must be given.
    explicit RouteTable(Routes routes);
    ~RouteTable();

    static Route routeOf(const QString& path);
    // Whether the office will lay out a document of this name: word-processor documents and
    // workbooks, and of the shell route's documents those whose names the office imports.
    static bool needsOffice(const QString& path, const OfficeImports& officeImports);

    // The route that prints documents of `route`; null for Route::Pdf, which nothing prints.
    PrintRoute* printing(Route route) const;
    ImageRoute& image() const { return *m_routes.image; }
    // Tells every route that nothing it prepared is wanted any more.
    void forgetPrepared();

private:
    Routes m_routes;
};
