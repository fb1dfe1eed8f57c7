#pragma once

#include <QString>

// The command lines the Windows scheduler (schtasks) takes for the program's task, word for
// word, for a build on that system. On this one the scheduler is `at` and no password is used.
namespace SchtasksCommandLines {

// `{comspec} /c schtasks /query > "{queryFile}"`
QString query(const QString& comspec, const QString& queryFile);
// With a password: `schtasks /create ... /rp {password}`; without one the line goes through
// the command interpreter and ends in "/rp ". The password and the user are trimmed.
QString create(const QString& comspec, const QString& program, const QString& time,
               const QString& date, const QString& computer, const QString& user,
               const QString& password);
// `schtasks /delete /tn "Start Corvanta Batch" /f ` (ending in a blank)
QString remove();

} // namespace SchtasksCommandLines
