// The registry routines over the real settings file: typed round trips, the two failure texts,
// type code 0, key paths with and without the leading backslash, and the documented example.
#include "batch/cRegistry.h"
#include "platform/settings/FileSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kProgramKey = QStringLiteral("\\Software\\Corvanta\\Program");
const QString kStart = QStringLiteral("ConvertStartFolder");
const QString kDestination = QStringLiteral("ConvertDestinationFolder");

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Runs `call` and answers the RegistryError it threw; fails the test when it threw none.
RegistryError thrownBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const RegistryError& e) {
        return e;
    }
    ADD_FAILURE() << "no RegistryError";
    return RegistryError(0, {});
}

class RegistryTest : public ::testing::Test
{
protected:
    QString fileName() const { return m_dir.filePath(QStringLiteral("Corvanta/settings.ini")); }
    std::optional<SettingsType> storedType(const QString& name)
    {
        SettingsError error;
        return m_store.valueType(QStringLiteral("Software\\Corvanta\\Program"), name, error);
    }

    QTemporaryDir m_dir;
    FileSettingsStore m_store{fileName()};
};

TEST_F(RegistryTest, EveryTypeComesBackAsItsVariant)
{
    WriteRegistryValue(m_store, kProgramKey, kStart, kRegistryString, QStringLiteral("/srv/in"));
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Expand"), kRegistryExpandString,
                       QStringLiteral("$HOME/in"));
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Number"), kRegistryInteger, -7);
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Largest"), kRegistryInteger,
                       QStringLiteral("2147483647"));
    const QString latin1 = QStringLiteral("A\u00e9") + QChar(0) + QStringLiteral("\u00ff");
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Text bytes"), kRegistryBinary, latin1);
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Raw bytes"), kRegistryBinary,
                       QByteArray("\x80\x01", 2));

    FileSettingsStore store(fileName()); // a second object: what was stored persists
    const QVariant start = ReadRegistryValue(store, kProgramKey, kStart);
    EXPECT_EQ(start.typeId(), QMetaType::QString);
    EXPECT_EQ(start.toString(), QStringLiteral("/srv/in"));
    EXPECT_EQ(ReadRegistryValue(store, kProgramKey, QStringLiteral("Expand")).toString(),
              QStringLiteral("$HOME/in"));
    const QVariant number = ReadRegistryValue(store, kProgramKey, QStringLiteral("Number"));
    EXPECT_EQ(number.typeId(), QMetaType::Int);
    EXPECT_EQ(number.toInt(), -7);
    EXPECT_EQ(ReadRegistryValue(store, kProgramKey, QStringLiteral("Largest")).toInt(), 2147483647);
    const QVariant bytes = ReadRegistryValue(store, kProgramKey, QStringLiteral("Text bytes"));
    EXPECT_EQ(bytes.typeId(), QMetaType::QString);
    EXPECT_EQ(bytes.toString(), latin1);
    EXPECT_EQ(ReadRegistryValue(store, kProgramKey, QStringLiteral("Raw bytes")).toString(),
              QString::fromLatin1("\x80\x01", 2));

    EXPECT_EQ(storedType(kStart), SettingsType::String);
    EXPECT_EQ(storedType(QStringLiteral("Expand")), SettingsType::ExpandString);
    EXPECT_EQ(storedType(QStringLiteral("Number")), SettingsType::Integer);
    EXPECT_EQ(storedType(QStringLiteral("Raw bytes")), SettingsType::Binary);
}

TEST_F(RegistryTest, TheLeadingBackslashNamesTheSameKey)
{
    WriteRegistryValue(m_store, QStringLiteral("Software\\Corvanta\\Program"), kStart,
                       kRegistryString, QStringLiteral("/a"));
    EXPECT_EQ(ReadRegistryValue(m_store, kProgramKey, kStart).toString(), QStringLiteral("/a"));
    WriteRegistryValue(m_store, kProgramKey, kStart, kRegistryString, QStringLiteral("/b"));
    EXPECT_EQ(ReadRegistryValue(m_store, QStringLiteral("Software\\Corvanta\\Program"), kStart)
                  .toString(),
              QStringLiteral("/b"));
    EXPECT_EQ(contentOf(fileName()).count("[Software\\Corvanta\\Program]\n"), 1);
}

TEST_F(RegistryTest, AMissingKeyReadsAsEmpty)
{
    EXPECT_FALSE(ReadRegistryValue(m_store, kProgramKey, kStart).isValid()); // no file at all
    WriteRegistryValue(m_store, QStringLiteral("\\Software\\Other"), kStart, kRegistryString,
                       QStringLiteral("/x"));
    EXPECT_FALSE(ReadRegistryValue(m_store, kProgramKey, kStart).isValid());
}

TEST_F(RegistryTest, WhatCannotBeReadRaisesTheReadError)
{
    WriteRegistryValue(m_store, kProgramKey, kStart, kRegistryString, QStringLiteral("/in"));
    const RegistryError missing =
        thrownBy([&] { ReadRegistryValue(m_store, kProgramKey, kDestination); });
    EXPECT_EQ(missing.code(), kRegistryReadErrorCode);
    EXPECT_STREQ(missing.what(), "The configuration registry key could not be read.");
    EXPECT_EQ(missing.message(), kRegistryReadError);

    // A type the store does not know, or any line it cannot parse, damages the whole file.
    const QList<QByteArray> damaged{
        "[Software\\Corvanta\\Program]\nConvertStartFolder=dword:5\n",
        "[Software\\Corvanta\\Program]\nConvertStartFolder=/in\n",
        "[Software\\Corvanta\\Program]\nConvertStartFolder=string:C:\\In\n"};
    for (const QByteArray& content : damaged) {
        ASSERT_TRUE(writeFile(fileName(), content));
        const RegistryError error =
            thrownBy([&] { ReadRegistryValue(m_store, kProgramKey, kStart); });
        EXPECT_EQ(error.message(), kRegistryReadError) << content.toStdString();
        EXPECT_TRUE(error.detail().contains(QLatin1String("line 2"))) << content.toStdString();
        // Even a key that is not in the file is not taken for missing.
        EXPECT_EQ(
            thrownBy([&] { ReadRegistryValue(m_store, QStringLiteral("Nowhere"), kStart); }).code(),
            kRegistryReadErrorCode);
    }
}

TEST_F(RegistryTest, ADamagedStoreIsNotWrittenOver)
{
    const QByteArray damaged = "[Software\\Corvanta\\Program]\nConvertStartFolder=/in\n";
    ASSERT_TRUE(writeFile(fileName(), damaged));
    const RegistryError error = thrownBy([&] {
        WriteRegistryValue(m_store, kProgramKey, kStart, kRegistryString, QStringLiteral("/x"));
    });
    EXPECT_EQ(error.code(), kRegistryWriteErrorCode);
    EXPECT_STREQ(error.what(), "The configuration registry key could not be written.");
    EXPECT_EQ(contentOf(fileName()), damaged);
}

TEST_F(RegistryTest, TypeCodeZeroKeepsTheStoredType)
{
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Number"), kRegistryInteger, 5);
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Number"), kRegistryKeepType,
                       QStringLiteral("42"));
    EXPECT_EQ(storedType(QStringLiteral("Number")), SettingsType::Integer);
    const QVariant number = ReadRegistryValue(m_store, kProgramKey, QStringLiteral("Number"));
    EXPECT_EQ(number.typeId(), QMetaType::Int);
    EXPECT_EQ(number.toInt(), 42);

    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Path"), kRegistryExpandString,
                       QStringLiteral("$HOME"));
    WriteRegistryValue(m_store, kProgramKey, QStringLiteral("Path"), kRegistryKeepType,
                       QStringLiteral("$TMP"));
    EXPECT_EQ(storedType(QStringLiteral("Path")), SettingsType::ExpandString);
    EXPECT_EQ(ReadRegistryValue(m_store, kProgramKey, QStringLiteral("Path")).toString(),
              QStringLiteral("$TMP"));
}

TEST_F(RegistryTest, WritesWithoutAUsableTypeRaiseTheWriteErrorAndStoreNothing)
{
    WriteRegistryValue(m_store, kProgramKey, kStart, kRegistryString, QStringLiteral("/in"));
    const QByteArray before = contentOf(fileName());
    const QList<std::function<void()>> writes{
        [&] { WriteRegistryValue(m_store, kProgramKey, kDestination, kRegistryKeepType, "/x"); },
        [&] { WriteRegistryValue(m_store, QStringLiteral("\\Software\\New"), kStart, 0, "/x"); },
        [&] { WriteRegistryValue(m_store, kProgramKey, kDestination, 5, "/x"); },
        [&] { WriteRegistryValue(m_store, QStringLiteral("\\Software\\New"), kStart, -1, "/x"); },
        [&] { WriteRegistryValue(m_store, kProgramKey, kDestination, kRegistryInteger, "abc"); },
        [&] {
            WriteRegistryValue(m_store, kProgramKey, kDestination, kRegistryInteger,
                               qlonglong(1) << 31);
        },
    };
    for (qsizetype i = 0; i < writes.size(); ++i) {
        const RegistryError error = thrownBy(writes.at(i));
        EXPECT_EQ(error.code(), kRegistryWriteErrorCode) << "write " << i;
        EXPECT_EQ(error.message(), kRegistryWriteError) << "write " << i;
    }
    EXPECT_EQ(contentOf(fileName()), before);
    EXPECT_FALSE(ReadRegistryValue(m_store, QStringLiteral("\\Software\\New"), kStart).isValid());
}

TEST_F(RegistryTest, AnUnwritableStoreRaisesTheWriteError)
{
    // The store's folder would have to be made inside a regular file: this fails even as root.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    ASSERT_TRUE(writeFile(blocker, "a file"));
    FileSettingsStore store(blocker + QStringLiteral("/Corvanta/settings.ini"));
    const RegistryError error = thrownBy([&] {
        WriteRegistryValue(store, kProgramKey, kStart, kRegistryString, QStringLiteral("/in"));
    });
    EXPECT_EQ(error.code(), kRegistryWriteErrorCode);
    EXPECT_EQ(error.message(),
              QStringLiteral("The configuration registry key could not be written."));
    EXPECT_FALSE(error.detail().isEmpty());
}

TEST_F(RegistryTest, TheDocumentedExampleSeedsBothFolders)
{
    const QByteArray sourceDir = qgetenv("CORVANTA_SOURCE_DIR");
    ASSERT_FALSE(sourceDir.isEmpty()) << "CORVANTA_SOURCE_DIR is not set";
    const QString doc = QString::fromUtf8(
        contentOf(QString::fromLocal8Bit(sourceDir) + QStringLiteral("/docs/settings-store.md")));
    const QRegularExpressionMatch example =
        QRegularExpression(QStringLiteral("```ini\\n(.*?)```"),
                           QRegularExpression::DotMatchesEverythingOption)
            .match(doc);
    ASSERT_TRUE(example.hasMatch()) << "no ```ini example in docs/settings-store.md";
    ASSERT_TRUE(writeFile(fileName(), example.captured(1).toUtf8()));

    EXPECT_EQ(ReadRegistryValue(m_store, kProgramKey, kStart).toString(),
              QStringLiteral("/srv/scans/in"));
    EXPECT_EQ(ReadRegistryValue(m_store, kProgramKey, kDestination).toString(),
              QStringLiteral("/srv/scans/out"));
}

} // namespace
