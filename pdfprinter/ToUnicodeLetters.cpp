#include "pdfprinter/ToUnicodeLetters.h"

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

// One range of a bfrange section, "<from> <to> <first>" (consecutive characters) or
// "<from> <to> [<each> ...]", with its presentation forms as their letters; an array where the
// consecutive characters cross one. Empty when nothing changes. A range is bounded by its last
// byte (at most 256 codes); one that is not, or runs backwards, is left as it is.
QByteArray RangeInLetters(const QRegularExpressionMatch& found)
{
    static const QRegularExpression entry(QStringLiteral("<([0-9A-Fa-f]+)>"));
    const uint from = found.captured(1).toUInt(nullptr, 16);
    const uint to = found.captured(2).toUInt(nullptr, 16);
    if (to < from || to - from > 255)
        return {};
    const QByteArray head =
        "<" + found.captured(1).toLatin1() + "> <" + found.captured(2).toLatin1() + "> ";
    if (found.capturedLength(4) == 0) {
        QByteArray replacement = head + "[";
        bool changed = false;
        for (auto inner = entry.globalMatch(found.captured(5)); inner.hasNext();) {
            const QByteArray each = inner.next().captured(1).toLatin1();
            const QByteArray letters = Letters(each);
            changed = changed || letters != each;
            replacement += "<" + letters + "> ";
        }
        return changed ? replacement + "]" : QByteArray();
    }
    const QByteArray first = found.captured(4).toLatin1();
    if (first.size() != 4) {
        const QByteArray letters = Letters(first);
        return letters == first ? QByteArray() : head + "<" + letters + ">";
    }
    const uint start = first.toUInt(nullptr, 16);
    bool crosses = false;
    for (uint k = 0; k <= to - from && !crosses; ++k)
        crosses = IsPresentationForm(start + k);
    if (!crosses)
        return {};
    QByteArray replacement = head + "[";
    for (uint k = 0; k <= to - from; ++k)
        replacement += "<" + Letters(Hex4(start + k)) + "> ";
    return replacement + "]";
}

// Rewrites the map's bfrange and bfchar sections so that no destination names a presentation
// form; empty when the map names none.
QByteArray Rewritten(const QByteArray& map)
{
    static const QRegularExpression section(QStringLiteral(R"(beginbf(range|char)(.*?)endbf\1)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression range(QStringLiteral(
        R"(<([0-9A-Fa-f]{1,8})>\s*<([0-9A-Fa-f]{1,8})>\s*(<([0-9A-Fa-f]*)>|\[([^\]]*)\]))"));
    static const QRegularExpression single(
        QStringLiteral(R"(<([0-9A-Fa-f]{1,8})>\s*<([0-9A-Fa-f]*)>)"));
    const QString text = QString::fromLatin1(map);
    QByteArray out;
    qsizetype copied = 0;
    for (auto block = section.globalMatch(text); block.hasNext();) {
        const QRegularExpressionMatch found = block.next();
        const bool ranges = found.captured(1) == QLatin1String("range");
        const qsizetype bodyAt = found.capturedStart(2);
        for (auto item = (ranges ? range : single).globalMatch(found.captured(2));
             item.hasNext();) {
            const QRegularExpressionMatch one = item.next();
            QByteArray replacement;
            if (ranges) {
                replacement = RangeInLetters(one);
            } else {
                const QByteArray destination = one.captured(2).toLatin1();
                const QByteArray letters = Letters(destination);
                if (letters != destination)
                    replacement = "<" + one.captured(1).toLatin1() + "> <" + letters + ">";
            }
            if (replacement.isEmpty())
                continue;
            out += map.mid(copied, bodyAt + one.capturedStart() - copied) + replacement;
            copied = bodyAt + one.capturedEnd();
        }
    }
    if (copied == 0)
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
