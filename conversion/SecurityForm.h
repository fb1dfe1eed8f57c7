#pragma once

#include <QString>

// The Settings page's security choices and the output choice of the Generate PDF page.
class SecurityForm
{
public:
    virtual ~SecurityForm() = default;

    virtual bool printCopyDisabled() const = 0; // "Disable Printing/Copy"
    virtual bool passwordWanted() const = 0;    // "Set Document Password"
    virtual QString password() const = 0;       // txtPasswd1
    virtual QString confirmation() const = 0;   // txtPasswd2
    virtual void clearPassword() = 0;
    virtual void clearConfirmation() = 0;
    virtual void setPasswordPanelVisible(bool visible) = 0;
    virtual bool combineChosen() const = 0; // "Create one PDF file"
};
