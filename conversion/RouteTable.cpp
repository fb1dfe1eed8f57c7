#include "conversion/RouteTable.h"

#include "conversion/ImageRoute.h"

#include <QMimeType>
#include <QStringList>
#include <algorithm>

namespace {

// A document whose path ends in one of `endings` takes `route`. Each ending is compared with as
// many of the path's last characters as it has, upper-cased: "HTML" with four, "HTM" with three.
struct RouteRule
{
    QStringList endings;
    Route route;
};

const QStringList& imageEndings()
{
    static const QStringList kEndings = {".PNG", "JPEG", ".JPG", ".BMP", ".WMF", ".ICO", ".EMF"};
    return kEndings;
}

// Tried in this order; the first that matches wins.
const QList<RouteRule>& rules()
{
    static const QList<RouteRule> kRules = {
        {imageEndings(), Route::Image},
        {{"PDF"}, Route::Pdf},
        {{"DOC"}, Route::Word},
        {{"XLS"}, Route::Excel},
        {{"HTM", "HTML"}, Route::Browser},
        // Plain text is drawn by the program itself, in its own encoding: far quicker than the
        // office's layout, and a text file needs nothing more.
        {{"XML", "TXT"}, Route::PlainText},
        {{"RTF"}, Route::Word},
    };
    return kRules;
}

bool matches(const QStringList& endings, const QString& path)
{
    return std::any_of(endings.cbegin(), endings.cend(), [&path](const QString& ending) {
        return path.right(ending.size()).toUpper() == ending;
    });
}

} // namespace

bool IsImageDocument(const QString& path)
{
    return matches(imageEndings(), path);
}

RouteTable::RouteTable(Routes routes) : m_routes(std::move(routes))
{
    Q_ASSERT(m_routes.image && m_routes.word && m_routes.excel && m_routes.browser &&
             m_routes.plainText && m_routes.shell);
}

RouteTable::~RouteTable() = default;

Route RouteTable::routeOf(const QString& path)
{
    for (const RouteRule& rule : rules()) {
        if (matches(rule.endings, path))
            return rule.route;
    }
    return Route::Shell;
}

bool RouteTable::needsOffice(const QString& path, const OfficeImports& officeImports)
{
    switch (routeOf(path)) {
    case Route::Word:
    case Route::Excel:
        return true;
    case Route::Shell:
        return officeImports && officeImports(path, QMimeType());
    case Route::Image:
    case Route::Pdf:
    case Route::Browser:
    case Route::PlainText:
        break;
    }
    return false;
}

PrintRoute* RouteTable::printing(Route route) const
{
    switch (route) {
    case Route::Image:
        return m_routes.image.get();
    case Route::Pdf:
        break;
    case Route::Word:
        return m_routes.word.get();
    case Route::Excel:
        return m_routes.excel.get();
    case Route::Browser:
        return m_routes.browser.get();
    case Route::PlainText:
        return m_routes.plainText.get();
    case Route::Shell:
        return m_routes.shell.get();
    }
    return nullptr;
}

void RouteTable::forgetPrepared()
{
    for (PrintRoute* route :
         {static_cast<PrintRoute*>(m_routes.image.get()), m_routes.word.get(), m_routes.excel.get(),
          m_routes.browser.get(), m_routes.plainText.get(), m_routes.shell.get()})
        route->forgetPrepared();
}
