#include "conversion/TextDecoder.h"

#include "conversion/EncodingDetector.h"

#include <QLoggingCategory>
#include <QRegularExpression>

Q_LOGGING_CATEGORY(lcTextDecoder, "corvanta.text.decoder")

namespace {

constexpr qsizetype kCutOff = -1;
// An XML declaration is short; its encoding is looked for this far into the file only.
constexpr qsizetype kDeclarationBytes = 512;

// The length of the valid UTF-8 sequence whose lead byte (0x80 or above) is at `at`; 0 when the
// bytes there form none (overlong forms, surrogates and values past U+10FFFF included), kCutOff
// when they begin one that the end of `bytes` cuts off.
qsizetype sequenceAt(QByteArrayView bytes, qsizetype at)
{
    const auto lead = static_cast<uchar>(bytes[at]);
    qsizetype length = 0;
    uchar low = 0x80; // the range of the byte after the lead
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    for (qsizetype k = 1; k < length; ++k) {
        if (at + k >= bytes.size())
            return kCutOff;
        const auto next = static_cast<uchar>(bytes[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

// Whether the bytes read as UTF-8: more valid multi-byte sequences than bytes that fit none, or
// nothing but ASCII. A legacy 8-bit or CJK text forms a valid sequence only now and then by
// chance, a UTF-8 text with a stray byte has many more valid ones.
bool MostlyUtf8(QByteArrayView bytes)
{
    qsizetype valid = 0;
    qsizetype invalid = 0;
    for (qsizetype at = 0; at < bytes.size();) {
        if (static_cast<uchar>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        const qsizetype length = sequenceAt(bytes, at);
        if (length == kCutOff)
            break; // the sample's end cut it, not the file
        if (length > 0) {
            ++valid;
            at += length;
        } else {
            ++invalid;
            ++at;
        }
    }
    return invalid == 0 || valid > invalid;
}

// The encoding an XML declaration at the very start names ("ISO-8859-7"); empty without one.
QByteArray DeclaredEncoding(const QString& start)
{
    static const QRegularExpression declaration(
        QStringLiteral(R"(^<\?xml\s[^>]*?\bencoding\s*=\s*["']([A-Za-z][A-Za-z0-9._:-]*)["'])"));
    const QRegularExpressionMatch match = declaration.match(start);
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

// Valid UTF-8 as text. QString::fromUtf8 drops a byte order mark at the start of what it is
// given; past the start of the file the mark is a character (a zero width no-break space) and
// stays, wherever a chunk or a run of valid bytes happens to begin.
QString FromUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool IsUtf8Name(const QByteArray& name)
{
    return name.compare("UTF-8", Qt::CaseInsensitive) == 0 ||
           name.compare("UTF8", Qt::CaseInsensitive) == 0 ||
           name.compare("ASCII", Qt::CaseInsensitive) == 0 ||
           name.compare("US-ASCII", Qt::CaseInsensitive) == 0;
}

// A Unicode encoding whose units are wider than a byte: an 8-bit file that claims one is wrong.
bool IsWideUnicodeName(const QByteArray& name)
{
    return name.toUpper().startsWith("UTF-16") || name.toUpper().startsWith("UTF-32") ||
           name.toUpper().startsWith("UCS");
}

} // namespace

ChunkDecoder::ChunkDecoder(const EncodingDetector* detector) : m_detector(detector) {}

QString ChunkDecoder::decode(QByteArrayView bytes)
{
    if (!m_started) {
        m_started = true;
        choose(bytes);
    }
    return m_decoder ? m_decoder->decode(bytes) : decodeUtf8(bytes);
}

// Chooses from the first chunk, and drops a byte order mark from it.
void ChunkDecoder::choose(QByteArrayView& sample)
{
    const std::optional<QStringConverter::Encoding> marked =
        QStringConverter::encodingForData(sample);
    if (marked == QStringConverter::Utf8) {
        sample = sample.sliced(3); // the byte order mark is not text
        return;
    }
    if (marked) {
        m_decoder.emplace(*marked); // it drops the mark itself
        m_encoding = QStringConverter::nameForEncoding(*marked);
        return;
    }
    // UTF-16 or UTF-32 without a mark, as an XML declaration's "<?" shows it.
    const std::optional<QStringConverter::Encoding> wide =
        QStringConverter::encodingForData(sample, u'<');
    if (wide && *wide != QStringConverter::Utf8) {
        m_decoder.emplace(*wide);
        m_encoding = QStringConverter::nameForEncoding(*wide);
        return;
    }
    const QByteArray declared = DeclaredEncoding(
        QString::fromLatin1(sample.first(std::min(sample.size(), kDeclarationBytes))));
    if (!declared.isEmpty() && !IsWideUnicodeName(declared)) {
        if (IsUtf8Name(declared))
            return;
        QStringDecoder decoder(declared.constData());
        if (decoder.isValid()) {
            m_decoder.emplace(std::move(decoder));
            m_encoding = declared;
            return;
        }
        qCInfo(lcTextDecoder) << "declared encoding unknown, guessing instead:" << declared;
    }
    if (MostlyUtf8(sample) || !m_detector)
        return;
    const QByteArray detected = m_detector->detect(sample);
    if (detected.isEmpty() || IsUtf8Name(detected) || IsWideUnicodeName(detected))
        return;
    QStringDecoder decoder(detected.constData());
    if (!decoder.isValid()) {
        qCInfo(lcTextDecoder) << "no decoder for the detected encoding, reading UTF-8:" << detected;
        return;
    }
    m_decoder.emplace(std::move(decoder));
    m_encoding = detected;
}

QString ChunkDecoder::decodeUtf8(QByteArrayView bytes)
{
    // A sequence cut at the end of the last chunk waits here for the rest of it.
    QByteArray joined;
    if (!m_cut.isEmpty()) {
        joined = m_cut + bytes.toByteArray();
        bytes = joined;
    }
    QString text;
    text.reserve(bytes.size());
    qsizetype validFrom = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (static_cast<uchar>(bytes[at]) < 0x80) {
            ++at;
            continue;
        }
        const qsizetype length = sequenceAt(bytes, at);
        if (length == kCutOff)
            break;
        if (length > 0) {
            at += length;
            continue;
        }
        text += FromUtf8(bytes.sliced(validFrom, at - validFrom));
        text += QChar(static_cast<char16_t>(static_cast<uchar>(bytes[at])));
        validFrom = ++at;
    }
    text += FromUtf8(bytes.sliced(validFrom, at - validFrom));
    m_cut = bytes.sliced(at).toByteArray();
    return text;
}

QString ChunkDecoder::finish() const
{
    return QString::fromLatin1(m_cut);
}
