#pragma once

#include <QString>
#include <functional>

class Dialogs;
class IPdfPrinterOptions;
class SecurityForm;

inline const QString kPasswordTooShortMessage =
    QStringLiteral("Please enter desired password, 4 characters or above!");
inline const QString kPasswordMismatchMessage = QStringLiteral("Passwords do not match!");
// Followed by what went wrong.
inline const QString kSetSecurityOptionsError = QStringLiteral("Set Security options. ");

// Writes the fixed output options and the Settings page's security choices into the profile.
class ProfileOptions
{
public:
    ProfileOptions(IPdfPrinterOptions& options, SecurityForm& form, Dialogs& dialogs);

    // Answers false when a password was asked for but refused (too short, or not repeated
    // exactly), or when the printer refused a security option: the run must then convert
    // nothing, so no file is left unprotected by mistake.
    bool UpdateProfileFromDialog();
    bool CheckSecurityOptions();

private:
    // The writers below throw when the printer refuses an option; this tells the user then.
    bool securityOptionsWritten(const std::function<bool()>& write);
    bool writeSecurityOptions();
    bool writeCombineSecurityOptions();
    // The length and repetition checks; false (after telling the user) when refused.
    bool passwordAccepted();
    // "AllowPrint", "AllowModify" and "AllowCopyExtract", always all three.
    void setPermissions(bool allowed);
    void setNumber(const QString& option, int value);
    // Throws SecurityOptionRefused when the printer does not take the option.
    void setSecurityNumber(const QString& option, int value);

    IPdfPrinterOptions& m_options;
    SecurityForm& m_form;
    Dialogs& m_dialogs;
};
