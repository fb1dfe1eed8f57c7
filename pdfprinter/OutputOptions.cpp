#include "pdfprinter/OutputOptions.h"

namespace {

std::optional<QString> text(const ProfileValues& values, const QString& option)
{
    const auto it = values.texts.constFind(option);
    if (it == values.texts.constEnd())
        return std::nullopt;
    return *it;
}

int number(const ProfileValues& values, const QString& option, int absent)
{
    return values.numbers.value(option, absent);
}

} // namespace

OutputOptions OutputOptions::fromProfile(const ProfileValues& values,
                                         const std::optional<QString>& userPassword)
{
    OutputOptions o;
    o.saveFolder = values.texts.value(QStringLiteral("Save Folder"));
    o.saveFile = text(values, QStringLiteral("Save File")).value_or(o.saveFile);
    o.replaceExisting = number(values, QStringLiteral("File Conflict Strategy"), 0) == 3;
    o.title = text(values, QStringLiteral("Document Title"));
    o.subject = text(values, QStringLiteral("Document Subject"));
    o.compressContent = number(values, QStringLiteral("Use Text Compression"), 1) != 0;
    o.level = number(values, QStringLiteral("Level"), 0);
    o.allowPrint = number(values, QStringLiteral("AllowPrint"), 1) != 0;
    o.allowModify = number(values, QStringLiteral("AllowModify"), 1) != 0;
    o.allowCopyExtract = number(values, QStringLiteral("AllowCopyExtract"), 1) != 0;
    o.userPassword = userPassword;
    o.openAfterSave = number(values, QStringLiteral("Post Save Open"), 0) == 1;
    o.ownerOnly = number(values, kOwnerOnlyOption, 0) == 1;
    return o;
}
