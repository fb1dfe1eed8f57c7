#include "common/NativeNames.h"

#include <QFile>

namespace {

// The length of the valid UTF-8 sequence starting at `at`, or 0 when the byte there starts none.
int sequenceLength(const QByteArray& bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    return length;
}

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
           c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString EscapeControlCharacters(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && !isControl(text.at(first).unicode()))
        ++first;
    if (first == text.size())
        return text;
    QString escaped = text.left(first);
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (!isControl(c))
            escaped += QChar(c);
        else if (c <= 0xFF)
            escaped +=
                QStringLiteral("\\x") + QString::number(c, 16).toUpper().rightJustified(2, u'0');
        else
            escaped += QStringLiteral("\\u") + QString::number(c, 16).toUpper();
    }
    return escaped;
}

QString TextOfFileName(const QByteArray& native, bool* exact)
{
    QString text;
    bool clean = true;
    qsizetype runStart = 0;
    qsizetype at = 0;
    while (at < native.size()) {
        const int length = sequenceLength(native, at);
        if (length > 0) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(native.constData() + runStart, at - runStart);
        const auto odd = static_cast<unsigned char>(native.at(at));
        text += QStringLiteral("\\x") +
                QString::number(odd, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        clean = false;
        ++at;
        runStart = at;
    }
    text += QString::fromUtf8(native.constData() + runStart, native.size() - runStart);
    QString shown = EscapeControlCharacters(text);
    if (exact)
        *exact = clean && shown == text && QFile::encodeName(text) == native;
    return shown;
}
