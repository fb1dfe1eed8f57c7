#pragma once

#include "common/SettingsValue.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The settings file in memory, line by line, so that a write changes only the line of its
// value and keeps the comments and the order an administrator gave the file.
class SettingsDocument
{
public:
    // The document of a file's content; nothing, with `problem` naming the line, when the
    // content is not a settings file.
    static std::optional<SettingsDocument> parse(const QByteArray& content, QString& problem);

    bool isEmpty() const { return m_lines.isEmpty(); }
    // Whether `key` is a key of the file or the parent of one.
    bool hasKey(const QString& key) const;
    std::optional<SettingsValue> value(const QString& key, const QString& name) const;
    // Replaces the value's line, or adds it at the end of its key, or adds the key at the end.
    void setValue(const QString& key, const QString& name, const SettingsValue& value);
    // The file's content, UTF-8, every line ended by a line feed.
    QByteArray toUtf8() const;

private:
    struct Line
    {
        enum class Kind
        {
            Other, // blank or comment
            Key,
            Value
        };
        Kind kind = Kind::Other;
        QString text;
        QString key;  // the key of a Key line, and the key a Value line belongs to
        QString name; // a Value line's name
        SettingsValue value = SettingsValue::fromString({});
    };

    // The index of the value's line, or -1.
    qsizetype find(const QString& key, const QString& name) const;
    static QString valueLine(const QString& name, const SettingsValue& value);

    QList<Line> m_lines;
};
