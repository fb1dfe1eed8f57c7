#include "conversion/ProfileOptions.h"

#include "common/Dialogs.h"
#include "conversion/IPdfPrinterOptions.h"
#include "conversion/SecurityForm.h"

#include <functional>
#include <stdexcept>

namespace {

// The printer did not take a security option: its settings could not be stored, say.
class SecurityOptionRefused : public std::runtime_error
{
public:
    SecurityOptionRefused(const QString& option, PrinterResult result)
        : std::runtime_error(QStringLiteral("The PDF printer did not take the option \"%1\" "
                                            "(error 0x%2).")
                                 .arg(option)
                                 .arg(quint32(result), 8, 16, QLatin1Char('0'))
                                 .toStdString())
    {
    }
};

} // namespace

ProfileOptions::ProfileOptions(IPdfPrinterOptions& options, SecurityForm& form, Dialogs& dialogs)
    : m_options(options), m_form(form), m_dialogs(dialogs)
{
}

void ProfileOptions::setNumber(const QString& option, int value)
{
    m_options.SetNumberOption(option, value, kProfileName, 0);
}

void ProfileOptions::setSecurityNumber(const QString& option, int value)
{
    const PrinterResult result = m_options.SetNumberOption(option, value, kProfileName, 0);
    if (failed(result))
        throw SecurityOptionRefused(option, result);
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

    if (m_form.combineChosen())
        return securityOptionsWritten([this] { return writeCombineSecurityOptions(); });
    const bool accepted = CheckSecurityOptions();
    setNumber(kOwnerOnlyOption, 0);
    return accepted;
}

// Only the combined file is protected: the single PDFs are plain (whatever an earlier run left
// in the profile), and kept from other users' eyes while they exist when the merged file will be
// protected. The password gets the same checks here so a mistyped password never locks the
// merged file.
bool ProfileOptions::writeCombineSecurityOptions()
{
    setSecurityNumber(QStringLiteral("Level"), 0);
    setPermissions(true);
    const bool protectedMerge = m_form.passwordWanted() || m_form.printCopyDisabled();
    setSecurityNumber(kOwnerOnlyOption, protectedMerge ? 1 : 0);
    return !m_form.passwordWanted() || passwordAccepted();
}

bool ProfileOptions::CheckSecurityOptions()
{
    return securityOptionsWritten([this] { return writeSecurityOptions(); });
}

// A security option the printer did not take is told, and the run converts nothing: it would
// otherwise write PDFs with less protection than asked.
bool ProfileOptions::securityOptionsWritten(const std::function<bool()>& write)
{
    try {
        return write();
    } catch (const SecurityOptionRefused& error) {
        m_dialogs.message(kSetSecurityOptionsError + QString::fromStdString(error.what()));
        return false;
    }
}

bool ProfileOptions::writeSecurityOptions()
{
    setSecurityNumber(QStringLiteral("Level"), 0);
    setPermissions(!m_form.printCopyDisabled());

    if (!m_form.passwordWanted()) {
        m_form.setPasswordPanelVisible(false);
        m_form.clearPassword();
        return true;
    }
    m_form.setPasswordPanelVisible(true);
    if (!passwordAccepted())
        return false;
    const PrinterResult result =
        m_options.SetPasswordOption(kUserPasswordOption, m_form.password(), kProfileName, 0);
    if (failed(result))
        throw SecurityOptionRefused(kUserPasswordOption, result);
    setSecurityNumber(QStringLiteral("Level"), 2);
    return true;
}

void ProfileOptions::setPermissions(bool allowed)
{
    const int value = allowed ? 1 : 0;
    setSecurityNumber(QStringLiteral("AllowPrint"), value);
    setSecurityNumber(QStringLiteral("AllowModify"), value);
    setSecurityNumber(QStringLiteral("AllowCopyExtract"), value);
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
