#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// The built program (CORVANTA_PROGRAM) started as a child process for an unattended -BATCH run,
// with a temporary home and no display, as the system's scheduler would start it; a starting
// folder in/ and an ending folder out/ in that home.
class BatchProgramFixture : public ::testing::Test
{
protected:
    struct Outcome
    {
        int exitCode = -1; // -1: it did not end normally
        QStringList errorLines;
    };

    void SetUp() override
    {
        QDir(home.path()).mkpath(".config/Corvanta");
        QDir(home.path()).mkpath("in/sub");
        QDir(home.path()).mkpath("out");
    }

    QString in(const QString& name = {}) const { return home.filePath("in/" + name); }
    QString out(const QString& name = {}) const { return home.filePath("out/" + name); }
    QString settingsFile() const { return home.filePath(".config/Corvanta/settings.ini"); }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
    // The user's own settings file, writable by the user only, naming the two folders.
    void storeFolders(const QString& start, const QString& destination)
    {
        write(settingsFile(),
              "[Software\\Corvanta\\Program]\nConvertStartFolder=string:" + start.toUtf8() +
                  "\nConvertDestinationFolder=string:" + destination.toUtf8() + "\n");
        QFile::setPermissions(settingsFile(), QFile::ReadOwner | QFile::WriteOwner);
    }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        env.insert("XDG_DATA_HOME", home.filePath(".local/share"));
        env.insert("XDG_CACHE_HOME", home.filePath(".cache"));
        return env;
    }
    // `inChild` runs in the child before the program starts (a umask, a resource limit).
    Outcome runProgram(const QStringList& arguments, const std::function<void()>& inChild = {})
    {
        QProcess program;
        if (inChild)
            program.setChildProcessModifier(inChild);
        program.setProcessEnvironment(environment());
        program.start(QString::fromUtf8(CORVANTA_PROGRAM), arguments);
        EXPECT_TRUE(program.waitForFinished(180000)) << "the program did not end by itself";
        Outcome outcome;
        outcome.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        outcome.errorLines = QString::fromUtf8(program.readAllStandardError()).split('\n');
        return outcome;
    }
    // The batch log of the starting folder, line by line.
    QStringList log() const
    {
        QFile file(in("Corvanta_Batch.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
        lines.removeLast(); // after the last line's end
        return lines;
    }

    QTemporaryDir home;
};
