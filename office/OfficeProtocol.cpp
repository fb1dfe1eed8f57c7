#include "office/OfficeProtocol.h"

#include "platform/process/JsonLines.h"

namespace {

constexpr NameTable<Route, 4> kRoutes{{
    {Route::Word, "word"},
    {Route::Excel, "excel"},
    {Route::Shell, "shell"},
    {Route::Image, "image"}, // vector pictures (WMF, EMF), which Qt cannot draw
}};

constexpr NameTable<OfficeFailure, 7> kFailures{{
    {OfficeFailure::None, "none"},
    {OfficeFailure::Password, "password"},
    {OfficeFailure::Unreadable, "unreadable"},
    {OfficeFailure::Export, "export"},
    {OfficeFailure::Office, "office"},
    {OfficeFailure::Memory, "memory"},
    {OfficeFailure::Request, "request"},
}};

} // namespace

QByteArray OfficeRequest::toLine() const
{
    return JsonLineOf({{"route", NameOf(kRoutes, route)}, {"document", document}, {"pdf", pdf}});
}

std::optional<OfficeRequest> OfficeRequest::fromLine(const QByteArray& line)
{
    const auto object = JsonObjectOf(line);
    if (!object)
        return std::nullopt;
    const auto route = ValueOf(kRoutes, object->value("route"));
    OfficeRequest request;
    request.document = object->value("document").toString();
    request.pdf = object->value("pdf").toString();
    if (!route || request.document.isEmpty() || request.pdf.isEmpty())
        return std::nullopt;
    request.route = *route;
    return request;
}

QByteArray OfficeAnswer::toLine() const
{
    return JsonLineOf({{"failure", NameOf(kFailures, failure)}, {"detail", detail}});
}

std::optional<OfficeAnswer> OfficeAnswer::fromLine(const QByteArray& line)
{
    const auto object = JsonObjectOf(line);
    if (!object)
        return std::nullopt;
    const auto failure = ValueOf(kFailures, object->value("failure"));
    if (!failure)
        return std::nullopt;
    return OfficeAnswer{*failure, object->value("detail").toString()};
}
