#include "platform/scheduler/AtScheduler.h"

#include "platform/process/QtProcessLauncher.h"
#include "platform/scheduler/PosixAccount.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Queues of the tests' own, so a user's real jobs are never touched.
constexpr char kTestQueue = 'y';
constexpr char kOtherQueue = 'x';

// Every variable a job must not take from the session that queued it, with a value to spot.
const char* const kSessionVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY",
                                         "QT_QPA_PLATFORM"};
const QByteArray kSessionValue = "corvanta-test-session";

// A program that writes its path, its arguments, what it sees of the session and its folder
// into `record` beside it.
const QByteArray kRecorder = R"(#!/bin/sh
{
  printf '%s\n' "$0" "$#" "$@"
  for v in DISPLAY WAYLAND_DISPLAY XAUTHORITY QT_QPA_PLATFORM TMPDIR; do
    eval "printf '%s=%s\n' $v \"\${$v-unset}\""
  done
  pwd
} > "${0%/*}/record.tmp" && mv "${0%/*}/record.tmp" "${0%/*}/record"
)";

bool writeFile(const QString& path, const QByteArray& text, QFile::Permissions permissions)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
           file.setPermissions(permissions);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QString atTime(const QDateTime& when)
{
    return when.toString("yyyyMMddHHmm.ss");
}

// Sets variables for one test and puts them back after it.
class SessionEnvironment
{
public:
    void set(const char* name, const QByteArray& value)
    {
        m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, value);
    }
    ~SessionEnvironment()
    {
        for (const Saved& saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

private:
    struct Saved
    {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    QList<Saved> m_saved;
};

class AtSchedulerTest : public ::testing::Test
{
protected:
    // Test runs of other worktrees share atd and these queues: one at a time.
    static void SetUpTestSuite()
    {
        const QByteArray lock = QFile::encodeName(QDir::tempPath() + "/corvanta-at-test.lock");
        s_lock = ::open(lock.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (s_lock >= 0)
            ::flock(s_lock, LOCK_EX);
    }
    static void TearDownTestSuite() { ::close(s_lock); }

    void SetUp() override
    {
        ASSERT_GE(s_lock, 0);
        QString why;
        ASSERT_TRUE(scheduler.serviceRunning(&why))
            << why.toStdString() << " (scripts/setup.sh starts it)";
        removeQueue(); // what a crashed earlier run left
    }
    void TearDown() override
    {
        removeQueue();
        for (const QByteArray& job : m_otherJobs)
            tool("atrm", {job});
    }

    ProcessResult tool(const QString& name, const QStringList& arguments,
                       const QByteArray& input = {})
    {
        ProcessCommand command;
        command.program = "/usr/bin/" + name;
        command.arguments = arguments;
        command.standardInput = input;
        return launcher.run(command);
    }

    QByteArrayList jobsOf(char queue)
    {
        QByteArrayList numbers;
        const ProcessResult listed = tool("atq", {"-q", QString(QChar::fromLatin1(queue))});
        EXPECT_TRUE(listed.succeeded());
        for (const QByteArray& line : listed.standardOutput.split('\n')) {
            if (!line.isEmpty())
                numbers << line.left(line.indexOf('\t'));
        }
        return numbers;
    }

    void removeQueue()
    {
        for (const QByteArray& job : jobsOf(kTestQueue))
            tool("atrm", {job});
    }

    // A job of another program, queued with at itself.
    QByteArray submit(char queue, const QByteArray& script)
    {
        const QByteArrayList before = jobsOf(queue);
        const ProcessResult result = tool("at",
                                          {"-q", QString(QChar::fromLatin1(queue)), "-t",
                                           atTime(QDateTime::currentDateTime().addSecs(120))},
                                          script);
        EXPECT_TRUE(result.succeeded()) << result.standardError.toStdString();
        for (const QByteArray& job : jobsOf(queue)) {
            if (!before.contains(job)) {
                if (queue != kTestQueue)
                    m_otherJobs << job;
                return job;
            }
        }
        return {};
    }

    QByteArray scriptOf(const QByteArray& job)
    {
        const ProcessResult result = tool("at", {"-c", job});
        EXPECT_TRUE(result.succeeded()) << result.standardError.toStdString();
        return result.standardOutput;
    }

    QStringList listed()
    {
        const TaskScheduler::Outcome outcome = scheduler.query(queryFile);
        EXPECT_TRUE(outcome.ok) << outcome.error.toStdString();
        return QString::fromUtf8(readFile(queryFile)).split('\n', Qt::SkipEmptyParts);
    }

    // The recorder at `folder`/`name`.
    QString recorder(const QString& folder, const QString& name)
    {
        EXPECT_TRUE(QDir().mkpath(folder));
        const QString program = folder + '/' + name;
        EXPECT_TRUE(
            writeFile(program, kRecorder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        return program;
    }

    static int s_lock;
    QtProcessLauncher launcher;
    AtScheduler scheduler{launcher, kTestQueue};
    QTemporaryDir dir;
    QString queryFile = dir.filePath("query.txt");
    QByteArrayList m_otherJobs;
};

int AtSchedulerTest::s_lock = -1;

TEST_F(AtSchedulerTest, TaskIsListedOnceAndItsScriptStartsTheProgramUnchangedWithoutADisplay)
{
    const QString folder = dir.filePath("it's $HOME `id` \"q\" \\ x");
    const QString program = recorder(folder, "corvanta batch");
    const QString outer = dir.filePath("outer");
    ASSERT_TRUE(QDir().mkpath(outer));
    const QDateTime when = QDateTime::currentDateTime().addSecs(120);
    {
        SessionEnvironment session;
        for (const char* name : kSessionVariables)
            session.set(name, kSessionValue);
        session.set("TMPDIR", QFile::encodeName(dir.filePath("run-private")));
        session.set("CORVANTA_OUTER_TMPDIR", QFile::encodeName(outer));
        const TaskScheduler::Outcome created = scheduler.create(program, when);
        ASSERT_TRUE(created.ok) << created.error.toStdString();
    }

    const QByteArrayList jobs = jobsOf(kTestQueue);
    ASSERT_EQ(jobs.size(), 1);
    EXPECT_EQ(listed(),
              QStringList{QStringLiteral("%1 %2 y %3 %4")
                              .arg(QString::fromLatin1(jobs[0]), when.toString("yyyy-MM-dd HH:mm"),
                                   PosixAccount().userName(), kTaskName)});

    // The job as atd will run it, in a shell that still has a display: the script takes it away.
    const QByteArray script = scriptOf(jobs[0]);
    EXPECT_FALSE(script.contains(kSessionValue)) << script.toStdString();
    EXPECT_FALSE(script.contains("run-private")) << script.toStdString();
    ASSERT_TRUE(writeFile(dir.filePath("job.sh"), script, QFile::ReadOwner | QFile::WriteOwner));
    ProcessCommand shell;
    shell.program = "/bin/sh";
    shell.arguments = {dir.filePath("job.sh")};
    for (const char* name : kSessionVariables)
        shell.environment.insert(name, kSessionValue);
    const ProcessResult ran = launcher.run(shell);
    ASSERT_TRUE(ran.succeeded()) << ran.standardError.toStdString();

    const QStringList expected{program,
                               "1",
                               "-BATCH",
                               "DISPLAY=unset",
                               "WAYLAND_DISPLAY=unset",
                               "XAUTHORITY=unset",
                               "QT_QPA_PLATFORM=unset",
                               "TMPDIR=" + outer,
                               QDir::homePath()};
    EXPECT_EQ(QString::fromUtf8(readFile(folder + "/record")).split('\n', Qt::SkipEmptyParts),
              expected);
}

TEST_F(AtSchedulerTest, ATaskWhoseTimeHasComeIsStartedByAtd)
{
    const QString program = recorder(dir.filePath("bin"), "corvanta");
    const TaskScheduler::Outcome created = scheduler.create(program, QDateTime::currentDateTime());
    ASSERT_TRUE(created.ok) << created.error.toStdString();

    const QString record = dir.filePath("bin/record");
    QDeadlineTimer deadline(std::chrono::seconds(30));
    while (!QFile::exists(record) && !deadline.hasExpired())
        QThread::msleep(50);
    const QStringList seen = QString::fromUtf8(readFile(record)).split('\n');
    EXPECT_EQ(seen.mid(0, 3), (QStringList{program, "1", "-BATCH"}));
}

TEST_F(AtSchedulerTest, OnlyTheProgramsOwnJobsAreListedAndRemoved)
{
    const QByteArray named = "# " + kTaskName.toUtf8() + "\ntrue\n";
    const QByteArray nameless = submit(kTestQueue, "true\n");
    const QByteArray otherQueue = submit(kOtherQueue, named);
    const TaskScheduler::Outcome created =
        scheduler.create("/usr/bin/true", QDateTime::currentDateTime().addSecs(120));
    ASSERT_TRUE(created.ok) << created.error.toStdString();
    // An older listing that others may read is replaced by one only its owner can.
    ASSERT_TRUE(writeFile(queryFile, "an older listing\n",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));

    EXPECT_EQ(listed().size(), 1);
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(queryFile).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    const TaskScheduler::Outcome removed = scheduler.removeAll();
    ASSERT_TRUE(removed.ok) << removed.error.toStdString();

    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(QFileInfo(queryFile).size(), 0);
    EXPECT_EQ(jobsOf(kTestQueue), QByteArrayList{nameless});
    EXPECT_EQ(jobsOf(kOtherQueue), QByteArrayList{otherQueue});
}

TEST(AtSchedulerTools, MissingOrFailingProgramsAreErrorsThatSayWhy)
{
    QTemporaryDir dir;
    const QString failing = dir.filePath("failing");
    ASSERT_TRUE(QDir().mkpath(failing));
    for (const char* name : {"at", "atq", "atrm"}) {
        ASSERT_TRUE(
            writeFile(failing + '/' + name,
                      "#!/bin/sh\necho 'You do not have permission to use at.' >&2\nexit 1\n",
                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const struct
    {
        QString folder;
        QString reason;
    } cases[] = {
        {dir.filePath("missing"), "could not be started"},
        {failing, "You do not have permission to use at."},
    };
    QtProcessLauncher launcher;
    for (const auto& c : cases) {
        AtScheduler scheduler(launcher, kTestQueue, c.folder);
        const QString queryFile = dir.filePath("query.txt");
        const TaskScheduler::Outcome outcomes[] = {
            scheduler.query(queryFile),
            scheduler.create("/usr/bin/true", QDateTime::currentDateTime().addSecs(120)),
            scheduler.removeAll(),
        };
        for (const TaskScheduler::Outcome& outcome : outcomes) {
            EXPECT_FALSE(outcome.ok);
            EXPECT_TRUE(outcome.error.contains(c.folder + "/at")) << outcome.error.toStdString();
            EXPECT_TRUE(outcome.error.contains(c.reason)) << outcome.error.toStdString();
        }
        EXPECT_FALSE(QFile::exists(queryFile));
    }
}

} // namespace
