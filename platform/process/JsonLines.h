#pragma once

// The workers and the program speak in lines of JSON, one object a line; the names of a
// protocol's values are kept in tables of (value, name) pairs.
#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <array>
#include <optional>
#include <utility>

template <typename T, std::size_t N> using NameTable = std::array<std::pair<T, const char*>, N>;

template <typename T, std::size_t N> const char* NameOf(const NameTable<T, N>& table, T value)
{
    for (const auto& [entry, name] : table) {
        if (entry == value)
            return name;
    }
    return "";
}

// Nothing for a value that is not one of the table's names (or not a string at all).
template <typename T, std::size_t N>
std::optional<T> ValueOf(const NameTable<T, N>& table, const QJsonValue& name)
{
    if (!name.isString())
        return std::nullopt;
    for (const auto& [entry, text] : table) {
        if (name.toString() == QLatin1String(text))
            return entry;
    }
    return std::nullopt;
}

// Nothing for a line that is not one JSON object.
inline std::optional<QJsonObject> JsonObjectOf(const QByteArray& line)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return std::nullopt;
    return json.object();
}

inline QByteArray JsonLineOf(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
