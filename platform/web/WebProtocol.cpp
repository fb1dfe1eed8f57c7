#include "platform/web/WebProtocol.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<WebCommand, const char*>, 3> kCommands{{
    {WebCommand::Prepare, "prepare"},
    {WebCommand::Render, "render"},
    {WebCommand::Forget, "forget"},
}};

constexpr std::array<std::pair<WebContent, const char*>, 2> kContents{{
    {WebContent::Page, "page"},
    {WebContent::Drawing, "drawing"},
}};

constexpr std::array<std::pair<WebFailure, const char*>, 8> kFailures{{
    {WebFailure::None, "none"},
    {WebFailure::NotReady, "not-ready"},
    {WebFailure::PrintTimedOut, "print-timed-out"},
    {WebFailure::NotLoaded, "not-loaded"},
    {WebFailure::NotPrinted, "not-printed"},
    {WebFailure::Memory, "memory"},
    {WebFailure::RendererEnded, "renderer-ended"},
    {WebFailure::Request, "request"},
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
std::optional<T> valueOf(const std::array<std::pair<T, const char*>, N>& table,
                         const QJsonValue& name)
{
    if (!name.isString())
        return std::nullopt;
    for (const auto& [entry, text] : table) {
        if (name.toString() == QLatin1String(text))
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

// A path the request names: absolute, or absent where the command takes none.
std::optional<QString> pathOf(const QJsonObject& object, const char* key, bool wanted)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!wanted)
        return value.isUndefined() ? std::optional<QString>(QString()) : std::nullopt;
    if (!value.isString() || !QDir::isAbsolutePath(value.toString()) ||
        value.toString().contains(QChar(0)))
        return std::nullopt;
    return value.toString();
}

} // namespace

QByteArray WebRequest::toLine() const
{
    QJsonObject object{{"command", nameOf(kCommands, command)}};
    if (command == WebCommand::Forget)
        return lineOf(object);
    object.insert("content", nameOf(kContents, content));
    object.insert("document", document);
    object.insert("bytes", bytes);
    if (command == WebCommand::Render)
        object.insert("pdf", pdf);
    return lineOf(object);
}

std::optional<WebRequest> WebRequest::fromLine(const QByteArray& line)
{
    const auto object = objectOf(line);
    if (!object)
        return std::nullopt;
    const auto command = valueOf(kCommands, object->value("command"));
    if (!command)
        return std::nullopt;
    WebRequest request;
    request.command = *command;
    const bool forget = *command == WebCommand::Forget;
    if (forget)
        return object->size() == 1 ? std::optional(request) : std::nullopt;
    const auto content = valueOf(kContents, object->value("content"));
    const auto document = pathOf(*object, "document", true);
    const auto bytes = pathOf(*object, "bytes", true);
    const auto pdf = pathOf(*object, "pdf", *command == WebCommand::Render);
    if (!content || !document || !bytes || !pdf)
        return std::nullopt;
    request.content = *content;
    request.document = *document;
    request.bytes = *bytes;
    request.pdf = *pdf;
    return request;
}

QByteArray WebAnswer::toLine() const
{
    return lineOf({{"failure", nameOf(kFailures, failure)}, {"detail", detail}});
}

std::optional<WebAnswer> WebAnswer::fromLine(const QByteArray& line)
{
    const auto object = objectOf(line);
    if (!object)
        return std::nullopt;
    const auto failure = valueOf(kFailures, object->value("failure"));
    const QJsonValue detail = object->value("detail");
    if (!failure || !detail.isString())
        return std::nullopt;
    return WebAnswer{*failure, detail.toString()};
}
