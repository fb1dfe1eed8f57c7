#include "office/worker/TextContent.h"

#include <QFile>

namespace {

constexpr qint64 kSampleBytes = qint64(64) * 1024;
// Text has next to no control characters besides tabs, line and page breaks.
constexpr double kMaxControlShare = 0.01;

bool isTextControl(unsigned char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0x1A;
}

} // namespace

bool LooksLikeText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray sample = file.read(kSampleBytes);
    // UTF-16 text is full of zero bytes; it announces itself with a byte-order mark.
    if (sample.startsWith("\xFF\xFE") || sample.startsWith("\xFE\xFF"))
        return true;
    qsizetype controls = 0;
    for (const char c : sample) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            return false;
        if (byte < 0x20 && !isTextControl(byte))
            ++controls;
    }
    return double(controls) <= double(sample.size()) * kMaxControlShare;
}
