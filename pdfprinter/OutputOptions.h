#pragma once

#include "conversion/IPdfPrinterOptions.h"
#include "pdfprinter/PrinterSettings.h"

#include <QString>
#include <optional>

// What a job's PDF becomes, read from the active profile when the job is written.
struct OutputOptions
{
    QString saveFolder;
    QString saveFile = QStringLiteral("[N]");
    bool replaceExisting = false;
    std::optional<QString> title;
    std::optional<QString> subject;
    bool compressContent = true;
    int level = 0;
    bool allowPrint = true;
    bool allowModify = true;
    bool allowCopyExtract = true;
    std::optional<QString> userPassword;
    bool openAfterSave = false;
    // The PDF is an unprotected step towards a protected merged file: only the owner may read it.
    bool ownerOnly = false;

    static OutputOptions fromProfile(const ProfileValues& values,
                                     const std::optional<QString>& userPassword);

    bool passwordProtected() const { return level == 2; }
    // A withheld permission is only enforceable with encryption, so it encrypts on its own.
    bool encrypted() const
    {
        return passwordProtected() || !allowPrint || !allowModify || !allowCopyExtract;
    }
};
