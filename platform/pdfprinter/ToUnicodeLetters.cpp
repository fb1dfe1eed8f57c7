#include "platform/pdfprinter/ToUnicodeLetters.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>

namespace {

bool IsPresentationForm(char32_t unit)
{
    return (unit >= 0xFB50 && unit <= 0xFDFF) || (unit >= 0xFE70 && unit <= 0xFEFF);
}

// A ToUnicode destination (UTF-16BE in hex) with its presentation forms as their letters.
QByteArray Letters(const QByteArray& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1])));
    QString letters;
    for (const QChar unit : text)
        letters += IsPresentationForm(unit.unicode())
                       ? QString(unit).normalized(QString::NormalizationForm_KC)
                       : QString(unit);
    if (letters == text)
        return hex;
    QByteArray utf16;
    for (const QChar unit : letters) {
        utf16 += char(unit.unicode() >> 8);
        utf16 += char(unit.unicode() & 0xFF);
    }
    return utf16.toHex().toUpper();
}

QByteArray Hex4(uint value)
{
    return QByteArray::number(value, 16).rightJustified(4, '0').toUpper();
}

// Rewrites the map's ranges: "<from> <to> <first>" (consecutive characters) becomes an array
// where it crosses a presentation form; array entries and single ones are rewritten in place.
QByteArray Rewritten(const QByteArray& map)
{
    static const QRegularExpression range(QStringLiteral(
        R"(<([0-9A-Fa-f]{4})>\s*<([0-9A-Fa-f]{4})>\s*(<([0-9A-Fa-f]+)>|\[([^\]]*)\]))"));
    static const QRegularExpression entry(QStringLiteral("<([0-9A-Fa-f]+)>"));
    const QString text = QString::fromLatin1(map);
    QByteArray out;
    qsizetype copied = 0;
    bool changed = false;
    for (auto match = range.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        QByteArray replacement;
        if (found.capturedLength(4) > 0) {
            const uint from = found.captured(1).toUInt(nullptr, 16);
            const uint to = found.captured(2).toUInt(nullptr, 16);
            const QByteArray first = found.captured(4).toLatin1();
            if (first.size() != 4) {
                const QByteArray letters = Letters(first);
                if (letters == first)
                    continue;
                replacement = "<" + Hex4(from) + "> <" + Hex4(to) + "> <" + letters + ">";
            } else {
                const uint start = first.toUInt(nullptr, 16);
                bool crosses = false;
                for (uint k = 0; k <= to - from && !crosses; ++k)
                    crosses = IsPresentationForm(start + k);
                if (!crosses)
                    continue;
                replacement = "<" + Hex4(from) + "> <" + Hex4(to) + "> [";
                for (uint k = 0; k <= to - from; ++k)
                    replacement += "<" + Letters(Hex4(start + k)) + "> ";
                replacement += "]";
            }
        } else {
            replacement =
                "<" + found.captured(1).toLatin1() + "> <" + found.captured(2).toLatin1() + "> [";
            for (auto inner = entry.globalMatch(found.captured(5)); inner.hasNext();)
                replacement += "<" + Letters(inner.next().captured(1).toLatin1()) + "> ";
            replacement += "]";
        }
        out += map.mid(copied, found.capturedStart() - copied) + replacement;
        copied = found.capturedEnd();
        changed = true;
    }
    if (!changed)
        return {};
    return out + map.mid(copied);
}

} // namespace

void MapPresentationFormsToLetters(QPDF& pdf)
{
    for (QPDFObjectHandle object : pdf.getAllObjects()) {
        if (!object.isDictionary() || !object.getKey("/Type").isNameAndEquals("/Font"))
            continue;
        QPDFObjectHandle map = object.getKey("/ToUnicode");
        if (!map.isStream())
            continue;
        const std::shared_ptr<Buffer> data = map.getStreamData(qpdf_dl_generalized);
        const QByteArray rewritten = Rewritten(QByteArray(
            reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize())));
        if (!rewritten.isEmpty())
            map.replaceStreamData(rewritten.toStdString(), QPDFObjectHandle::newNull(),
                                  QPDFObjectHandle::newNull());
    }
}
