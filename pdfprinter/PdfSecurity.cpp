#include "pdfprinter/PdfSecurity.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>
#include <string.h>

namespace {

std::string randomOwnerPassword()
{
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex().toStdString();
}

} // namespace

void ApplySecurity(QPDFWriter& writer, const PdfProtection& protection)
{
    if (!protection.encrypted())
        return;
    if (protection.password && protection.password->isEmpty())
        throw std::runtime_error("a password was asked for but none was given");
    std::string user = protection.password ? protection.password->toStdString() : std::string();
    std::string owner = randomOwnerPassword();
    const auto wipe = qScopeGuard([&user, &owner] {
        explicit_bzero(user.data(), user.size());
        explicit_bzero(owner.data(), owner.size());
    });
    const bool modify = protection.allowModify;
    writer.setR6EncryptionParameters(user.c_str(), owner.c_str(), true, protection.allowCopy,
                                     modify, modify, modify, modify,
                                     protection.allowPrint ? qpdf_r3p_full : qpdf_r3p_none, true);
}

void ApplySecurity(QPDFWriter& writer, const OutputOptions& options)
{
    PdfProtection protection;
    const auto wipe = qScopeGuard([&protection] {
        if (protection.password)
            protection.password->fill(QChar(0));
    });
    if (options.passwordProtected()) {
        if (!options.userPassword || options.userPassword->isEmpty())
            throw std::runtime_error("security level 2 but no user password was set");
        protection.password = options.userPassword;
    }
    protection.allowPrint = options.allowPrint;
    protection.allowModify = options.allowModify;
    protection.allowCopy = options.allowCopyExtract;
    ApplySecurity(writer, protection);
}
