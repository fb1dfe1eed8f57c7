#pragma once

#include <QString>
#include <QStringList>

// The toolkit's parameter texts as a Windows shell start takes them: each file name in double
// quotes. Kept for a Windows build; this platform passes an argument vector instead.
namespace ToolkitCommandLines {

// "a.PDF" "b.PDF"
QString inputList(const QStringList& inputs);
// "a.PDF" "b.PDF" cat output "out.PDF"
QString merge(const QStringList& inputs, const QString& output);
// "in.PDF" output "out.PDF" user_pw secret[ allow printing]
QString protect(const QString& input, const QString& output, const QString& password,
                bool allowPrinting);

} // namespace ToolkitCommandLines
