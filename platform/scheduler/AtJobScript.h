#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

// The text of the program's `at` job, and the environment `at` is started with (it records
// the caller's environment into the job).

// `text` as one word for /bin/sh: in single quotes, a ' written as '\''.
QByteArray ShellQuoted(const QByteArray& text);

// The job: a comment line with kTaskName (how the program finds its jobs again), then the
// display and the run's private folders taken away, then `program -BATCH`. `temporaryFolder`
// is the job's TMPDIR; empty: none.
QByteArray AtJobScript(const QString& program, const QString& temporaryFolder);

// True when `script`, as `at -c` prints it, is a job AtJobScript wrote for the user `uid`.
bool IsOwnJobScript(const QByteArray& script, uint uid);

// `environment` without what ties a job to this session: the display, the run's private
// temporary folder, a forced Qt platform.
QProcessEnvironment JobEnvironment(QProcessEnvironment environment);
