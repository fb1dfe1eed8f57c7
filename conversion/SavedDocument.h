#pragma once

#include <QFileDevice>

// The permissions of a PDF the program saves for the user: readable like any saved document,
// not private like the temporary file it is written to first.
inline constexpr QFileDevice::Permissions kSavedDocumentPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
    QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
