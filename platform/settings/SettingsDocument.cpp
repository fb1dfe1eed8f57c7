#include "platform/settings/SettingsDocument.h"

#include "platform/settings/SettingsText.h"

#include <QStringDecoder>

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where the name ends: the first '=' that is not escaped; -1 when there is none.
qsizetype nameEnd(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == QLatin1Char('\\'))
            ++i;
        else if (line.at(i) == QLatin1Char('='))
            return i;
    }
    return -1;
}

bool isComment(QStringView trimmed)
{
    return trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
           trimmed.startsWith(QLatin1Char('#'));
}

} // namespace

std::optional<SettingsDocument> SettingsDocument::parse(const QByteArray& content, QString& problem)
{
    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading byte order mark
    const QString text = decoder.decode(content);
    if (decoder.hasError()) {
        problem = QStringLiteral("the file is not UTF-8 text");
        return std::nullopt;
    }
    QStringList texts = text.split(QLatin1Char('\n'));
    if (texts.last().isEmpty())
        texts.removeLast(); // the line feed that ends the last line

    SettingsDocument document;
    QString currentKey;
    for (qsizetype number = 1; number <= texts.size(); ++number) {
        Line line;
        line.text = texts.at(number - 1);
        if (line.text.endsWith(QLatin1Char('\r')))
            line.text.chop(1);
        const QString where = QStringLiteral("line %1: ").arg(number);
        const QStringView trimmed = SettingsText::trimBlanks(line.text);
        if (isComment(trimmed)) {
            document.m_lines.append(line);
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            line.kind = Line::Kind::Key;
            line.key = trimmed.mid(1, trimmed.size() - 2).trimmed().toString();
            if (!SettingsText::isValidKeyPath(line.key)) {
                problem = where + QStringLiteral("\"%1\" is not a key path").arg(line.key);
                return std::nullopt;
            }
            currentKey = line.key;
            document.m_lines.append(line);
            continue;
        }
        const qsizetype equals = nameEnd(line.text);
        if (equals < 0) {
            problem = where + QStringLiteral("neither a comment, a [key] nor name=type:value");
            return std::nullopt;
        }
        if (currentKey.isEmpty()) {
            problem = where + QStringLiteral("a value before the first [key]");
            return std::nullopt;
        }
        QString detail;
        const std::optional<QString> name = SettingsText::unescape(
            SettingsText::trimBlanks(QStringView(line.text).left(equals)), detail);
        const std::optional<SettingsValue> value =
            name ? SettingsText::parseValue(QStringView(line.text).mid(equals + 1), detail)
                 : std::nullopt;
        if (!value) {
            problem = where + detail;
            return std::nullopt;
        }
        if (document.find(currentKey, *name) >= 0) {
            problem =
                where + QStringLiteral("\"%1\" is already a value of [%2]").arg(*name, currentKey);
            return std::nullopt;
        }
        line.kind = Line::Kind::Value;
        line.key = currentKey;
        line.name = *name;
        line.value = *value;
        document.m_lines.append(line);
    }
    return document;
}

bool SettingsDocument::hasKey(const QString& key) const
{
    const QString parent = key + QLatin1Char('\\');
    return std::any_of(m_lines.begin(), m_lines.end(), [&](const Line& line) {
        return line.kind == Line::Kind::Key &&
               (sameName(line.key, key) || line.key.startsWith(parent, Qt::CaseInsensitive));
    });
}

std::optional<SettingsValue> SettingsDocument::value(const QString& key, const QString& name) const
{
    const qsizetype index = find(key, name);
    if (index < 0)
        return std::nullopt;
    return m_lines.at(index).value;
}

void SettingsDocument::setValue(const QString& key, const QString& name, const SettingsValue& value)
{
    const qsizetype index = find(key, name);
    if (index >= 0) {
        Line& line = m_lines[index];
        line.text = valueLine(line.name, value); // keeps the spelling the file has
        line.value = value;
        return;
    }
    Line added{Line::Kind::Value, valueLine(name, value), key, name, value};
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        const Line& line = m_lines.at(i);
        if (line.kind != Line::Kind::Other && sameName(line.key, key)) {
            added.key = line.key;
            m_lines.insert(i + 1, added);
            return;
        }
    }
    if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty())
        m_lines.append(Line{}); // a blank line between keys
    m_lines.append(Line{Line::Kind::Key,
                        QLatin1Char('[') + key + QLatin1Char(']'),
                        key,
                        {},
                        SettingsValue::fromString({})});
    m_lines.append(added);
}

QByteArray SettingsDocument::toUtf8() const
{
    QByteArray content;
    // The reader drops a carriage return before each line feed: a line that ends in one of its
    // own gets another, so it reads back.
    for (const Line& line : m_lines)
        content += line.text.toUtf8() + (line.text.endsWith(QLatin1Char('\r')) ? "\r\n" : "\n");
    return content;
}

qsizetype SettingsDocument::find(const QString& key, const QString& name) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Line::Kind::Value && sameName(line.key, key) && sameName(line.name, name))
            return i;
    }
    return -1;
}

QString SettingsDocument::valueLine(const QString& name, const SettingsValue& value)
{
    return SettingsText::escapeName(name) + QLatin1Char('=') + SettingsText::formatValue(value);
}
