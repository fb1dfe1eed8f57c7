#include "web/WebProtocol.h"

#include "platform/process/JsonLines.h"

#include <QDir>

namespace {

constexpr NameTable<WebCommand, 3> kCommands{{
    {WebCommand::Prepare, "prepare"},
    {WebCommand::Render, "render"},
    {WebCommand::Forget, "forget"},
}};

constexpr NameTable<WebContent, 2> kContents{{
    {WebContent::Page, "page"},
    {WebContent::Drawing, "drawing"},
}};

constexpr NameTable<WebFailure, 8> kFailures{{
    {WebFailure::None, "none"},
    {WebFailure::NotReady, "not-ready"},
    {WebFailure::PrintTimedOut, "print-timed-out"},
    {WebFailure::NotLoaded, "not-loaded"},
    {WebFailure::NotPrinted, "not-printed"},
    {WebFailure::Memory, "memory"},
    {WebFailure::RendererEnded, "renderer-ended"},
    {WebFailure::Request, "request"},
}};

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
    QJsonObject object{{"command", NameOf(kCommands, command)}};
    if (command == WebCommand::Forget)
        return JsonLineOf(object);
    object.insert("content", NameOf(kContents, content));
    object.insert("document", document);
    object.insert("bytes", bytes);
    if (command == WebCommand::Render)
        object.insert("pdf", pdf);
    return JsonLineOf(object);
}

std::optional<WebRequest> WebRequest::fromLine(const QByteArray& line)
{
    const auto object = JsonObjectOf(line);
    if (!object)
        return std::nullopt;
    const auto command = ValueOf(kCommands, object->value("command"));
    if (!command)
        return std::nullopt;
    WebRequest request;
    request.command = *command;
    const bool forget = *command == WebCommand::Forget;
    if (forget)
        return object->size() == 1 ? std::optional(request) : std::nullopt;
    const auto content = ValueOf(kContents, object->value("content"));
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
    return JsonLineOf({{"failure", NameOf(kFailures, failure)}, {"detail", detail}});
}

std::optional<WebAnswer> WebAnswer::fromLine(const QByteArray& line)
{
    const auto object = JsonObjectOf(line);
    if (!object)
        return std::nullopt;
    const auto failure = ValueOf(kFailures, object->value("failure"));
    const QJsonValue detail = object->value("detail");
    if (!failure || !detail.isString())
        return std::nullopt;
    return WebAnswer{*failure, detail.toString()};
}
