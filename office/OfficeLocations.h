#pragma once

#include <QString>

// Where the office renderer's programs and profile are, unless a test says otherwise.

// A helper installed with ours (see InstalledProgram), else on PATH; empty when neither has it.
QString FindProgram(const QString& name);

// The office's private profile: "office-profile" in the per-user cache folder.
QString DefaultOfficeProfile();
