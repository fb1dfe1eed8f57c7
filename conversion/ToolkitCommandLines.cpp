#include "conversion/ToolkitCommandLines.h"

namespace ToolkitCommandLines {

namespace {
QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}
} // namespace

QString inputList(const QStringList& inputs)
{
    QStringList parts;
    for (const QString& input : inputs)
        parts.append(quoted(input));
    return parts.join(QLatin1Char(' '));
}

QString merge(const QStringList& inputs, const QString& output)
{
    return inputList(inputs) + QStringLiteral(" cat output ") + quoted(output);
}

QString protect(const QString& input, const QString& output, const QString& password,
                bool allowPrinting)
{
    QString text = quoted(input) + QStringLiteral(" output ") + quoted(output) +
                   QStringLiteral(" user_pw ") + password;
    if (allowPrinting)
        text += QStringLiteral(" allow printing");
    return text;
}

} // namespace ToolkitCommandLines
