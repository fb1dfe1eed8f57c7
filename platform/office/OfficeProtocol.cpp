#include "platform/office/OfficeProtocol.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<Route, const char*>, 4> kRoutes{{
    {Route::Word, "word"},
    {Route::Excel, "excel"},
    {Route::Shell, "shell"},
    {Route::Image, "image"}, // vector pictures (WMF, EMF), which Qt cannot draw
}};

constexpr std::array<std::pair<OfficeFailure, const char*>, 7> kFailures{{
    {OfficeFailure::None, "none"},
    {OfficeFailure::Password, "password"},
    {OfficeFailure::Unreadable, "unreadable"},
    {OfficeFailure::Export, "export"},
    {OfficeFailure::Office, "office"},
    {OfficeFailure::Memory, "memory"},
    {OfficeFailure::Request, "request"},
}};

template <typename T, std::size_t N>
const char* nameOf(const std::array<std::pair<T, const char*>, N>& table, T value)
{
    for (const auto& [entry, name] : table) {
        if (entry == value)
            return name;
    }
    return "";
}

template <typename T, std::size_t N>
std::optional<T> valueOf(const std::array<std::pair<T, const char*>, N>& table, const QString& name)
{
    for (const auto& [entry, text] : table) {
        if (name == QLatin1String(text))
            return entry;
    }
    return std::nullopt;
}

std::optional<QJsonObject> objectOf(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return std::nullopt;
    return json.object();
}

QByteArray lineOf(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QByteArray OfficeRequest::toLine() const
{
    return lineOf({{"route", nameOf(kRoutes, route)}, {"document", document}, {"pdf", pdf}});
}

std::optional<OfficeRequest> OfficeRequest::fromLine(const QByteArray& line)
{
    const auto object = objectOf(line);
    if (!object)
        return std::nullopt;
    const auto route = valueOf(kRoutes, object->value("route").toString());
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
    return lineOf({{"failure", nameOf(kFailures, failure)}, {"detail", detail}});
}

std::optional<OfficeAnswer> OfficeAnswer::fromLine(const QByteArray& line)
{
    const auto object = objectOf(line);
    if (!object)
        return std::nullopt;
    const auto failure = valueOf(kFailures, object->value("failure").toString());
    if (!failure)
        return std::nullopt;
    return OfficeAnswer{*failure, object->value("detail").toString()};
}
