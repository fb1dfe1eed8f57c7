#include "platform/scheduler/AtJobScript.h"

#include "batch/TaskScheduler.h"

#include <QFile>

namespace {

// The job starts long after this session, maybe after the display is gone, and the run's
// TMPDIR is removed when the run ends; the job's run picks its platform and makes its own
// temporary area. `at` already leaves DISPLAY out and glibc drops TMPDIR for the set-user-ID
// `at`; everything here is taken away anyway, in the environment and again in the script.
const char* const kSessionVariables[] = {"DISPLAY",    "WAYLAND_DISPLAY",
                                         "XAUTHORITY", "QT_QPA_PLATFORM",
                                         "TMPDIR",     "CORVANTA_OUTER_TMPDIR"};

// The switch of an unattended run, exactly as the program takes it.
const char kBatchSwitch[] = "-BATCH";

QByteArray nameLine()
{
    return "# " + kTaskName.toUtf8();
}

} // namespace

QByteArray ShellQuoted(const QByteArray& text)
{
    QByteArray quoted = text;
    quoted.replace('\'', "'\\''");
    return '\'' + quoted + '\'';
}

QByteArray AtJobScript(const QString& program, const QString& temporaryFolder)
{
    QByteArray script = nameLine() + '\n';
    script += "unset";
    for (const char* name : kSessionVariables)
        script += QByteArray(" ") + name;
    script += '\n';
    if (!temporaryFolder.isEmpty())
        script += "TMPDIR=" + ShellQuoted(QFile::encodeName(temporaryFolder)) + "; export TMPDIR\n";
    script += "exec " + ShellQuoted(QFile::encodeName(program)) + ' ' + kBatchSwitch + '\n';
    return script;
}

bool IsOwnJobScript(const QByteArray& script, uint uid)
{
    // at's first lines name the job's owner: "# atrun uid=1000 gid=1000".
    const QByteArray owner = "# atrun uid=" + QByteArray::number(uid) + ' ';
    bool ownersJob = false;
    bool named = false;
    for (const QByteArray& line : script.split('\n')) {
        ownersJob = ownersJob || line.startsWith(owner);
        named = named || line == nameLine();
    }
    return ownersJob && named;
}

QProcessEnvironment JobEnvironment(QProcessEnvironment environment)
{
    for (const char* name : kSessionVariables)
        environment.remove(QString::fromLatin1(name));
    return environment;
}
