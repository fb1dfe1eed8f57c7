#pragma once

#include <QString>

// The office's private user profile. Headless use never records the office's version in it, so
// every start of an unprimed profile repeats the first-start work (about 3 s); a primed one
// starts in about 0.5 s.

// The installed office's version ("7.4"), read beside its program; empty when unknown.
QString InstalledOfficeVersion(const QString& officeProgram);

// Records `version` as the profile's last version unless a version is recorded already, and
// (again at every call, whatever the office wrote there since) the settings that keep a
// document from making the office fetch anything. False when the profile could not be written.
bool PrimeOfficeProfile(const QString& folder, const QString& version);
