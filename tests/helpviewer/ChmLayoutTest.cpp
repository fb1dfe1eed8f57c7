// The check of a help file's container before chmlib reads it: the file the build makes holds
// together; copies of it damaged where chmlib would allocate, loop or divide are refused.
#include "helpviewer/ChmLayout.h"

#include "helpviewer/ChmFile.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

const QString kHelpFile = QStringLiteral(CORVANTA_HELP_FILE);

QByteArray helpFile()
{
    QFile file(kHelpFile);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << kHelpFile.toStdString();
    return file.readAll();
}

QString layoutError(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ChmLayoutError(buffer);
}

template <typename T> void put(QByteArray& bytes, qsizetype at, T value)
{
    ASSERT_LE(at + qsizetype(sizeof(T)), bytes.size());
    qToLittleEndian(value, bytes.data() + at);
}

// Where the directory's header and its pages begin.
qsizetype directoryAt(const QByteArray& bytes)
{
    return qsizetype(qFromLittleEndian<quint64>(bytes.constData() + 0x48));
}

TEST(ChmLayout, TheHelpFileHoldsTogetherAndDamagedCopiesAreRefusedBeforeChmlibReadsThem)
{
    const QByteArray good = helpFile();
    ASSERT_FALSE(good.isEmpty());
    EXPECT_TRUE(layoutError(good).isNull()) << layoutError(good).toStdString();
    const qsizetype directory = directoryAt(good);
    const quint32 pageLength = qFromLittleEndian<quint32>(good.constData() + directory + 0x10);
    const qint32 firstListing = qFromLittleEndian<qint32>(good.constData() + directory + 0x20);
    const qsizetype description = good.indexOf("LZXC") - 4;
    ASSERT_GT(description, 0);

    QByteArray hugePages = good; // chmlib would allocate 4 GB for each lookup
    put<quint32>(hugePages, directory + 0x10, 0xFFFFF000u);
    QByteArray circle = good; // its listing of every file would never end
    put<qint32>(circle, directory + 0x54 + firstListing * pageLength + 0x10, firstListing);
    QByteArray noWindow = good; // chmlib would divide by zero while opening it
    put<quint32>(noWindow, description + 0x10, 0);
    QByteArray past = good; // its lookups would read past the page
    put<quint32>(past, directory + 0x54 + firstListing * pageLength + 0x04, 0xFFFFFFF0u);
    const struct
    {
        const char* what;
        QByteArray bytes;
        const char* error;
    } cases[] = {
        {"huge pages", hugePages, "the pages of its directory are 4294963200 bytes long"},
        {"a circle", circle, "the pages of its directory lead in a circle"},
        {"no window", noWindow, "its compressed section is damaged"},
        {"free space past the page", past, "a page of its directory is damaged"},
        {"cut short", good.left(directory + 0x40), "the header of its directory is damaged"},
        {"not a help file", QByteArray("<html></html>"), "it does not start as a help file does"},
    };
    QTemporaryDir folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(layoutError(c.bytes), QString::fromLatin1(c.error));
        const QString path = folder.filePath(QString::fromLatin1(c.what) + ".chm");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(c.bytes) == c.bytes.size());
        file.close();
        QString why;
        EXPECT_EQ(ChmFile::open(path, &why), nullptr);
        EXPECT_EQ(why, QStringLiteral("it is not a compiled help file, or it is damaged"));
    }
}

} // namespace
