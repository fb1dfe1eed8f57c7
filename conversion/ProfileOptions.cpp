#include "conversion/ProfileOptions.h"

#include "conversion/IPdfPrinterOptions.h"
#include "conversion/SecurityForm.h"
#include "platform/dialogs/Dialogs.h"

ProfileOptions::ProfileOptions(IPdfPrinterOptions& options, SecurityForm& form, Dialogs& dialogs)
    : m_options(options), m_form(form), m_dialogs(dialogs)
{
}

void ProfileOptions::setNumber(const QString& option, int value)
{
    m_options.SetNumberOption(option, value, kProfileName, 0);
}

bool ProfileOptions::UpdateProfileFromDialog()
{
    setNumber(QStringLiteral("Use Text Compression"), 1);
    setNumber(QStringLiteral("AnalyzeUrl"), 1);
    setNumber(QStringLiteral("Post Save Open"), 0);
    setNumber(QStringLiteral("Prompt Save Dialog"), 0);
    m_options.SetTextOption(QStringLiteral("Save File"), QStringLiteral("[N]"), kProfileName, 0);
    setNumber(QStringLiteral("File Conflict Strategy"), 3);
    m_options.SetTextOption(QStringLiteral("Document Subject"), QStringLiteral("Corvanta document"),
                            kProfileName, 0);
    m_options.SetTextOption(QStringLiteral("Document Title"),
                            QStringLiteral("PDF Created by Corvanta Professional"), kProfileName,
                            0);
    setNumber(QStringLiteral("SilentPrint"), 1);

    if (m_form.combineChosen()) {
        // Only the combined file is protected: the single PDFs are plain (whatever an earlier
        // run left in the profile), and kept from other users' eyes while they exist when the
        // merged file will be protected. The password gets the same checks here so a mistyped
        // password never locks the merged file.
        setNumber(QStringLiteral("Level"), 0);
        setPermissions(true);
        const bool protectedMerge = m_form.passwordWanted() || m_form.printCopyDisabled();
        setNumber(kOwnerOnlyOption, protectedMerge ? 1 : 0);
        return !m_form.passwordWanted() || passwordAccepted();
    }
    const bool accepted = CheckSecurityOptions();
    setNumber(kOwnerOnlyOption, 0);
    return accepted;
}

bool ProfileOptions::CheckSecurityOptions()
{
    setNumber(QStringLiteral("Level"), 0);
    setPermissions(!m_form.printCopyDisabled());

    if (!m_form.passwordWanted()) {
        m_form.setPasswordPanelVisible(false);
        m_form.clearPassword();
        return true;
    }
    m_form.setPasswordPanelVisible(true);
    if (!passwordAccepted())
        return false;
    m_options.SetPasswordOption(kUserPasswordOption, m_form.password(), kProfileName, 0);
    setNumber(QStringLiteral("Level"), 2);
    return true;
}

void ProfileOptions::setPermissions(bool allowed)
{
    const int value = allowed ? 1 : 0;
    setNumber(QStringLiteral("AllowPrint"), value);
    setNumber(QStringLiteral("AllowModify"), value);
    setNumber(QStringLiteral("AllowCopyExtract"), value);
}

bool ProfileOptions::passwordAccepted()
{
    if (m_form.password().size() < 4) {
        m_dialogs.message(kPasswordTooShortMessage, Dialogs::Icon::Information);
        return false;
    }
    if (m_form.password() != m_form.confirmation()) {
        m_dialogs.message(kPasswordMismatchMessage);
        m_form.clearPassword();
        m_form.clearConfirmation();
        return false;
    }
    return true;
}
