#include "platform/pdfprinter/OutputName.h"

namespace {
const QString kPdfSuffix = QStringLiteral(".PDF");
const QString kNamePlaceholder = QStringLiteral("[N]");
} // namespace

QString OutputFileName(const QString& saveFileTemplate, const QString& jobTitle)
{
    const qsizetype slash = std::max(jobTitle.lastIndexOf('/'), jobTitle.lastIndexOf('\\'));
    QString base = jobTitle.mid(slash + 1);
    if (base.endsWith(kPdfSuffix, Qt::CaseInsensitive))
        base.chop(kPdfSuffix.size());
    if (base.isEmpty())
        base = QStringLiteral("Untitled");

    QString name = saveFileTemplate.isEmpty() ? kNamePlaceholder : saveFileTemplate;
    name.replace(kNamePlaceholder, base);
    if (name.contains('/') || name.contains('\\') || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        return {};
    return name + kPdfSuffix;
}

QString NumberedFileName(const QString& fileName, int n)
{
    QString stem = fileName;
    QString suffix;
    if (stem.endsWith(kPdfSuffix, Qt::CaseInsensitive)) {
        suffix = stem.right(kPdfSuffix.size());
        stem.chop(kPdfSuffix.size());
    }
    return stem + QStringLiteral(" (%1)").arg(n) + suffix;
}
