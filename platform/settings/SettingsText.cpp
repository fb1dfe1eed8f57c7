#include "platform/settings/SettingsText.h"

#include <QStringList>
#include <algorithm>

namespace SettingsText {

namespace {

const QString kString = QStringLiteral("string");
const QString kExpandString = QStringLiteral("expandstring");
const QString kInteger = QStringLiteral("integer");
const QString kBinary = QStringLiteral("binary");

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

QString hexEscape(QChar c)
{
    return QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
}

// The escapes both kinds of text share; an empty result means the character stands as it is.
QString commonEscape(QChar c)
{
    switch (c.unicode()) {
    case '\\':
        return QStringLiteral("\\\\");
    case '\n':
        return QStringLiteral("\\n");
    case '\r':
        return QStringLiteral("\\r");
    case '\t':
        return QStringLiteral("\\t");
    default:
        return isControl(c) ? hexEscape(c) : QString();
    }
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

std::optional<SettingsValue> parseInteger(QStringView data, QString& problem)
{
    bool ok = false;
    const int number = data.trimmed().toInt(&ok, 10);
    if (!ok) {
        problem = QStringLiteral("not a 32-bit decimal integer");
        return std::nullopt;
    }
    return SettingsValue::fromInteger(number);
}

std::optional<SettingsValue> parseBinary(QStringView data, QString& problem)
{
    QByteArray digits;
    for (QChar c : data) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        if (hexDigit(c) < 0) {
            problem = QStringLiteral("binary data holds a character that is not a hex digit");
            return std::nullopt;
        }
        digits.append(char(c.unicode()));
    }
    if (digits.size() % 2 != 0) {
        problem = QStringLiteral("binary data has an odd number of hex digits");
        return std::nullopt;
    }
    return SettingsValue::fromBinary(QByteArray::fromHex(digits));
}

} // namespace

QString escapeName(const QString& name)
{
    QString escaped;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool first = i == 0;
        const bool last = i == name.size() - 1;
        const QString common = commonEscape(c);
        if (!common.isEmpty())
            escaped += common;
        else if (c == QLatin1Char('='))
            escaped += QStringLiteral("\\=");
        // First, these would read as a comment or a key; blanks around a name are not part of it.
        else if ((first && QStringView(u";#[").contains(c)) ||
                 ((first || last) && c == QLatin1Char(' ')))
            escaped += hexEscape(c);
        else
            escaped += c;
    }
    return escaped;
}

QString escapeText(const QString& text)
{
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QString common = commonEscape(c);
        if (!common.isEmpty())
            escaped += common;
        else if (i == text.size() - 1 && c == QLatin1Char(' '))
            escaped += hexEscape(c);
        else
            escaped += c;
    }
    return escaped;
}

std::optional<QString> unescape(QStringView escaped, QString& problem)
{
    QString text;
    text.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c != QLatin1Char('\\')) {
            text += c;
            continue;
        }
        if (++i == escaped.size()) {
            problem = QStringLiteral("a backslash ends the line (write \\\\ for one)");
            return std::nullopt;
        }
        switch (escaped.at(i).unicode()) {
        case '\\':
            text += QLatin1Char('\\');
            break;
        case 'n':
            text += QLatin1Char('\n');
            break;
        case 'r':
            text += QLatin1Char('\r');
            break;
        case 't':
            text += QLatin1Char('\t');
            break;
        case '=':
            text += QLatin1Char('=');
            break;
        case 'x': {
            const int high = i + 1 < escaped.size() ? hexDigit(escaped.at(i + 1)) : -1;
            const int low = i + 2 < escaped.size() ? hexDigit(escaped.at(i + 2)) : -1;
            if (high < 0 || low < 0) {
                problem = QStringLiteral("\\x needs two hex digits");
                return std::nullopt;
            }
            text += QChar(char16_t(high * 16 + low));
            i += 2;
            break;
        }
        default:
            problem = QStringLiteral("unknown escape \\%1 (write \\\\ for a backslash)")
                          .arg(escaped.at(i));
            return std::nullopt;
        }
    }
    return text;
}

QString formatValue(const SettingsValue& value)
{
    switch (value.type()) {
    case SettingsType::String:
        return kString + QLatin1Char(':') + escapeText(value.text());
    case SettingsType::ExpandString:
        return kExpandString + QLatin1Char(':') + escapeText(value.text());
    case SettingsType::Integer:
        return kInteger + QLatin1Char(':') + QString::number(value.number());
    case SettingsType::Binary:
        return kBinary + QLatin1Char(':') + QString::fromLatin1(value.bytes().toHex(' '));
    }
    return {};
}

std::optional<SettingsValue> parseValue(QStringView field, QString& problem)
{
    const qsizetype colon = field.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        problem = QStringLiteral("no type before the value (type:value)");
        return std::nullopt;
    }
    const QString type = field.left(colon).trimmed().toString().toLower();
    const QStringView data = field.mid(colon + 1);
    if (type == kString || type == kExpandString) {
        const std::optional<QString> text = unescape(data, problem);
        if (!text)
            return std::nullopt;
        return type == kString ? SettingsValue::fromString(*text)
                               : SettingsValue::fromExpandString(*text);
    }
    if (type == kInteger)
        return parseInteger(data, problem);
    if (type == kBinary)
        return parseBinary(data, problem);
    problem =
        QStringLiteral("unknown type \"%1\" (string, expandstring, integer or binary)").arg(type);
    return std::nullopt;
}

QStringView trimBlanks(QStringView text)
{
    const auto blank = [](QChar c) { return c.unicode() < 0x80 && c.isSpace(); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.sliced(begin, end - begin);
}

bool isValidKeyPath(const QString& key)
{
    if (key.isEmpty() || key.front().isSpace() || key.back().isSpace())
        return false;
    if (std::any_of(key.begin(), key.end(), isControl))
        return false;
    const QStringList parts = key.split(QLatin1Char('\\'));
    return std::none_of(parts.begin(), parts.end(), [](const QString& p) { return p.isEmpty(); });
}

} // namespace SettingsText
