#include "platform/pdfprinter/PdfSecurity.h"

#include <QRandomGenerator>
#include <qpdf/QPDFWriter.hh>
#include <stdexcept>

namespace {

std::string randomOwnerPassword()
{
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex().toStdString();
}

} // namespace

void ApplySecurity(QPDFWriter& writer, const OutputOptions& options)
{
    if (!options.encrypted())
        return;
    std::string user;
    if (options.passwordProtected()) {
        if (!options.userPassword || options.userPassword->isEmpty())
            throw std::runtime_error("security level 2 but no user password was set");
        user = options.userPassword->toStdString(); // AES-256 passwords are UTF-8
    }
    const std::string owner = randomOwnerPassword();
    const bool modify = options.allowModify;
    writer.setR6EncryptionParameters(user.c_str(), owner.c_str(), true, options.allowCopyExtract,
                                     modify, modify, modify, modify,
                                     options.allowPrint ? qpdf_r3p_full : qpdf_r3p_none, true);
}
