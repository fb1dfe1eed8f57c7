#pragma once

#include "common/SettingsValue.h"

#include <QString>
#include <QStringView>
#include <optional>

// The text forms of the settings file: escaped names and texts, and the typed value field
// ("string:/srv/in", "integer:-5", "binary:48 69"). docs/settings-store.md describes them.
namespace SettingsText {

// A value name as it stands before '=': backslashes, '=' and control characters escaped,
// and whatever would make the line read as a comment, a key or with other blanks.
QString escapeName(const QString& name);
// A text value as it stands after "string:": backslashes, control characters and trailing
// blanks escaped (editors drop those).
QString escapeText(const QString& text);
// Undoes either escaping; nothing, with `problem` set, for an unknown or cut-off escape.
std::optional<QString> unescape(QStringView escaped, QString& problem);

// "type:data" for a value.
QString formatValue(const SettingsValue& value);
// The value of a "type:data" field; nothing, with `problem` set, when it is malformed.
std::optional<SettingsValue> parseValue(QStringView field, QString& problem);

// The text without the blanks at either end: spaces, tabs and ASCII's other white space. The
// writer escapes those where they would be dropped; any other character, a no-break space or
// an ideographic space, stays part of a name and never makes a line read as a comment.
QStringView trimBlanks(QStringView text);

// A key path the store accepts: parts separated by single backslashes, none empty, no control
// characters, no blank at either end.
bool isValidKeyPath(const QString& key);

} // namespace SettingsText
