#include "office/worker/XlsActiveSheet.h"

#include "office/worker/CompoundFile.h"

#include <QtEndian>

namespace {

constexpr quint16 kBeginOfFile = 0x0809;
constexpr quint16 kEndOfFile = 0x000A;
constexpr quint16 kWindow1 = 0x003D;
constexpr int kActiveTabOffset = 10; // itabCur within WINDOW1

} // namespace

std::optional<int> ReadXlsActiveSheet(const QString& path)
{
    const auto compound = CompoundFile::open(path);
    if (!compound)
        return std::nullopt;
    auto workbook = compound->stream(QStringLiteral("Workbook"));
    if (!workbook)
        workbook = compound->stream(QStringLiteral("Book")); // Excel 5/95
    if (!workbook)
        return std::nullopt;

    // Records of the workbook globals: type, length, data; WINDOW1 comes before their end.
    const QByteArray& bytes = *workbook;
    for (qsizetype at = 0; at + 4 <= bytes.size();) {
        const quint16 type = qFromLittleEndian<quint16>(bytes.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(bytes.constData() + at + 2);
        const qsizetype data = at + 4;
        if (at == 0 && type != kBeginOfFile)
            return std::nullopt;
        if (type == kEndOfFile)
            break;
        if (type == kWindow1 && length >= kActiveTabOffset + 2 &&
            data + kActiveTabOffset + 2 <= bytes.size())
            return qFromLittleEndian<quint16>(bytes.constData() + data + kActiveTabOffset);
        at = data + length;
    }
    return std::nullopt;
}
