#include "pdfprinter/OutputName.h"

namespace {
const QString kPdfSuffix = QStringLiteral(".PDF");
const QString kNamePlaceholder = QStringLiteral("[N]");

// Only the platform's own separators part folders: on Linux a backslash is a character of a
// file name like any other.
bool separates(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
#else
    return c == QLatin1Char('/');
#endif
}

qsizetype lastSeparator(const QString& text)
{
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (separates(text.at(i)))
            return i;
    }
    return -1;
}

} // namespace

QString OutputFileName(const QString& saveFileTemplate, const QString& jobTitle)
{
    const qsizetype slash = lastSeparator(jobTitle);
    QString base = jobTitle.mid(slash + 1);
    if (base.endsWith(kPdfSuffix, Qt::CaseInsensitive))
        base.chop(kPdfSuffix.size());
    if (base.isEmpty())
        base = QStringLiteral("Untitled");

    QString name = saveFileTemplate.isEmpty() ? kNamePlaceholder : saveFileTemplate;
    name.replace(kNamePlaceholder, base);
    if (lastSeparator(name) >= 0 || name == QLatin1String(".") || name == QLatin1String(".."))
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
