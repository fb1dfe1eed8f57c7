// The compound file of .doc and .xls files, as the office worker reads a workbook's active
// sheet from it: every stream is made of the file's own sectors, so none is larger than the file.
#include "office/worker/CompoundFile.h"
#include "office/worker/XlsActiveSheet.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QFile>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const CompoundFile compound(bytes);
    if (compound.isValid()) {
        for (const char* name : {"Workbook", "Book", "WordDocument", "\x05SummaryInformation"}) {
            if (const std::optional<QByteArray> stream = compound.stream(QString::fromLatin1(name)))
                FUZZ_CHECK(stream->size() <= bytes.size());
        }
    }

    static const QString path = FuzzFilePath(QStringLiteral("book.xls"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes) == bytes.size());
    file.close();
    if (const std::optional<int> sheet = ReadXlsActiveSheet(path))
        FUZZ_CHECK(*sheet >= 0);
    return 0;
}
