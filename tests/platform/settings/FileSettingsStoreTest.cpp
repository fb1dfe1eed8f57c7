// The settings file on disk: values persist, the file is private and replaced atomically, and
// a damaged or unwritable file is reported rather than treated as empty or overwritten.
#include "platform/settings/FileSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("Software\\Corvanta\\Program");
constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions kPrivateFolder = kOwnerOnly | QFile::ExeOwner;
constexpr QFile::Permissions kOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                       QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

QFile::Permissions modeBits(const QString& path)
{
    return QFile::permissions(path) & (kPrivateFolder | kOthers);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

class FileSettingsStoreTest : public ::testing::Test
{
protected:
    QString folder() const { return m_dir.filePath(QStringLiteral("Corvanta")); }
    QString fileName() const { return folder() + QStringLiteral("/settings.ini"); }

    QTemporaryDir m_dir;
};

TEST_F(FileSettingsStoreTest, ValuesOfEveryTypePersistForTheNextStoreObject)
{
    const QList<QPair<QString, SettingsValue>> values{
        {QStringLiteral("ConvertStartFolder"), SettingsValue::fromString(QStringLiteral("/in"))},
        {QStringLiteral("Path"), SettingsValue::fromExpandString(QStringLiteral("$HOME/x"))},
        {QStringLiteral("Count"), SettingsValue::fromInteger(-42)},
        {QStringLiteral("Bytes"), SettingsValue::fromBinary(QByteArray("\x00\x01\xfe", 3))}};
    {
        FileSettingsStore writer(fileName());
        SettingsError error;
        for (const auto& [name, value] : values)
            ASSERT_TRUE(writer.writeValue(kKey, name, value, error)) << error.text.toStdString();
    }
    FileSettingsStore reader(fileName());
    SettingsError error;
    EXPECT_EQ(reader.keyExists(kKey, error), true);
    EXPECT_EQ(reader.keyExists(QStringLiteral("software\\CORVANTA"), error), true);
    EXPECT_EQ(reader.keyExists(QStringLiteral("Software\\Other"), error), false);
    for (const auto& [name, value] : values) {
        EXPECT_EQ(reader.readValue(kKey, name, error), value) << name.toStdString();
        EXPECT_EQ(reader.valueType(kKey, name.toUpper(), error), value.type());
    }
}

TEST_F(FileSettingsStoreTest, AMissingFileIsAnEmptyStore)
{
    FileSettingsStore store(fileName());
    SettingsError error;
    EXPECT_EQ(store.keyExists(kKey, error), false);
    EXPECT_FALSE(store.readValue(kKey, QStringLiteral("ConvertStartFolder"), error).has_value());
    EXPECT_EQ(error.code, SettingsError::Code::NotFound);
    EXPECT_FALSE(QFileInfo::exists(folder())); // reading creates nothing
}

TEST_F(FileSettingsStoreTest, AWriteReplacesTheValueWhateverItsType)
{
    FileSettingsStore store(fileName());
    SettingsError error;
    ASSERT_TRUE(store.writeValue(kKey, QStringLiteral("V"),
                                 SettingsValue::fromString(QStringLiteral("text")), error));
    ASSERT_TRUE(store.writeValue(kKey, QStringLiteral("v"), SettingsValue::fromInteger(3), error));
    EXPECT_EQ(store.readValue(kKey, QStringLiteral("V"), error), SettingsValue::fromInteger(3));
    EXPECT_EQ(contentOf(fileName()).count("=integer:3"), 1);
    EXPECT_FALSE(contentOf(fileName()).contains("text"));
}

TEST_F(FileSettingsStoreTest, EachCallSeesWhatAnotherProcessWrote)
{
    FileSettingsStore store(fileName());
    SettingsError error;
    ASSERT_TRUE(store.writeValue(kKey, QStringLiteral("V"), SettingsValue::fromInteger(1), error));
    ASSERT_TRUE(writeFile(fileName(), "[Software\\Corvanta\\Program]\nV=integer:2\n"));
    EXPECT_EQ(store.readValue(kKey, QStringLiteral("V"), error), SettingsValue::fromInteger(2));
}

TEST_F(FileSettingsStoreTest, TheFileIsPrivateAndReplacedWithoutLeftovers)
{
    FileSettingsStore store(fileName());
    SettingsError error;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(store.writeValue(kKey, QStringLiteral("V%1").arg(i),
                                     SettingsValue::fromInteger(i), error));
    EXPECT_EQ(modeBits(fileName()), kOwnerOnly);
    EXPECT_EQ(modeBits(folder()), kPrivateFolder);
    // No temporary file and no lock file stays behind.
    EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("settings.ini")});
}

TEST_F(FileSettingsStoreTest, AFileSeededWithLooseModesBecomesPrivateOnWrite)
{
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_TRUE(writeFile(fileName(), "[Software\\Corvanta\\Program]\n"));
    ASSERT_TRUE(
        QFile::setPermissions(fileName(), kOwnerOnly | QFile::ReadGroup | QFile::ReadOther));
    FileSettingsStore store(fileName());
    SettingsError error;
    ASSERT_TRUE(store.writeValue(kKey, QStringLiteral("V"), SettingsValue::fromInteger(1), error));
    EXPECT_EQ(modeBits(fileName()), kOwnerOnly);
}

TEST_F(FileSettingsStoreTest, TheDefaultLocationFollowsXdgConfigHomeAndIsKeptPrivate)
{
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    ASSERT_EQ(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")), configHome);
    FileSettingsStore store;
    EXPECT_EQ(store.fileName(), configHome + QStringLiteral("/Corvanta/settings.ini"));

    // Another part of the program may have created the folder with the usual modes.
    const QString ownFolder = configHome + QStringLiteral("/Corvanta");
    ASSERT_TRUE(QDir().mkpath(ownFolder));
    ASSERT_TRUE(QFile::setPermissions(ownFolder, kPrivateFolder | QFile::ReadGroup |
                                                     QFile::ExeGroup | QFile::ReadOther |
                                                     QFile::ExeOther));
    SettingsError error;
    ASSERT_TRUE(store.writeValue(kKey, QStringLiteral("V"), SettingsValue::fromInteger(1), error));
    EXPECT_EQ(modeBits(ownFolder), kPrivateFolder);
    EXPECT_EQ(FileSettingsStore().readValue(kKey, QStringLiteral("V"), error),
              SettingsValue::fromInteger(1));
    QFile::remove(store.fileName());
}

TEST_F(FileSettingsStoreTest, ADamagedFileIsReportedAndNeverOverwritten)
{
    const QByteArray damaged = "[Software\\Corvanta\\Program]\nConvertStartFolder=/in\n";
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_TRUE(writeFile(fileName(), damaged));
    FileSettingsStore store(fileName());

    SettingsError error;
    EXPECT_FALSE(store.keyExists(kKey, error).has_value());
    EXPECT_EQ(error.code, SettingsError::Code::Damaged);
    EXPECT_TRUE(error.text.contains(QLatin1String("line 2"))) << error.text.toStdString();

    error = {};
    EXPECT_FALSE(store.readValue(kKey, QStringLiteral("Other"), error).has_value());
    EXPECT_EQ(error.code, SettingsError::Code::Damaged);

    error = {};
    EXPECT_FALSE(store.writeValue(kKey, QStringLiteral("ConvertStartFolder"),
                                  SettingsValue::fromString(QStringLiteral("/x")), error));
    EXPECT_EQ(error.code, SettingsError::Code::Damaged);
    EXPECT_EQ(contentOf(fileName()), damaged);
}

TEST_F(FileSettingsStoreTest, AFolderThatCannotBeCreatedFailsTheWrite)
{
    // A regular file where the folder should be stops even root, unlike a folder's mode.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    ASSERT_TRUE(writeFile(blocker, "not a folder"));
    FileSettingsStore store(blocker + QStringLiteral("/Corvanta/settings.ini"));

    SettingsError error;
    EXPECT_FALSE(store.writeValue(kKey, QStringLiteral("V"), SettingsValue::fromInteger(1), error));
    EXPECT_EQ(error.code, SettingsError::Code::WriteFailed);
    EXPECT_EQ(store.keyExists(kKey, error), false); // nothing there to read
    EXPECT_EQ(contentOf(blocker), QByteArray("not a folder"));
}

TEST_F(FileSettingsStoreTest, AStoreThatIsNotAFileCannotBeRead)
{
    ASSERT_TRUE(QDir().mkpath(fileName())); // a folder in the file's place
    FileSettingsStore store(fileName());
    SettingsError error;
    EXPECT_FALSE(store.keyExists(kKey, error).has_value());
    EXPECT_EQ(error.code, SettingsError::Code::ReadFailed);
    error = {};
    EXPECT_FALSE(store.writeValue(kKey, QStringLiteral("V"), SettingsValue::fromInteger(1), error));
    EXPECT_EQ(error.code, SettingsError::Code::ReadFailed);
}

TEST_F(FileSettingsStoreTest, InvalidKeyPathsAreRefused)
{
    FileSettingsStore store(fileName());
    for (const QString& key : {QString(), QStringLiteral("\\Software"), QStringLiteral("a\\\\b")}) {
        SettingsError error;
        EXPECT_FALSE(store.keyExists(key, error).has_value());
        EXPECT_EQ(error.code, SettingsError::Code::InvalidName);
        error = {};
        EXPECT_FALSE(
            store.writeValue(key, QStringLiteral("V"), SettingsValue::fromInteger(1), error));
        EXPECT_EQ(error.code, SettingsError::Code::InvalidName);
    }
    EXPECT_FALSE(QFileInfo::exists(fileName()));
}

} // namespace
