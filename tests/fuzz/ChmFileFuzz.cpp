// A help file, opened from a file as the help window opens one: its description, its table of
// contents and index, its default topic and the files it lists, read or refused.
#include "helpviewer/ChmFile.h"
#include "helpviewer/Sitemap.h"
#include "tests/fuzz/FuzzSupport.h"

#include <QFile>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString path = FuzzFilePath(QStringLiteral("help.chm"));
    QFile out(path);
    FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(out.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    out.close();

    QString why;
    const std::unique_ptr<ChmFile> file = ChmFile::open(path, &why);
    if (!file) {
        FUZZ_CHECK(!why.isEmpty());
        return 0;
    }
    for (const QString& sitemap : {file->contentsFile(), file->indexFile()}) {
        if (const std::optional<QByteArray> bytes = file->read(sitemap))
            ParseSitemap(*bytes);
    }
    file->read(file->defaultTopic());
    const QStringList paths = file->paths();
    for (qsizetype i = 0; i < std::min<qsizetype>(paths.size(), 16); ++i)
        file->read(paths.at(i));
    return 0;
}
