#include "conversion/RunPlan.h"

#include "common/PathHelpers.h"
#include "conversion/BatchLog.h"
#include "conversion/DocumentNames.h"
#include "doclist/DocumentList.h"

#include <QFileInfo>
#include <QHash>

QString RunPlan::outputFileOf(const QString& documentPath, bool batch, const QString& destination)
{
    const QString expected = DocumentNames::of(documentPath).expectedPdf;
    return batch ? WithTrailingBackslash(destination) + DocumentNames::fileNameOf(expected)
                 : expected;
}

bool RunPlan::isBatchLog(const QString& documentPath, const QString& startFolder)
{
    return documentPath == WithTrailingBackslash(startFolder) + kBatchLogName;
}

RunPlan RunPlan::make(const DocumentList& list, bool batch, const QString& destination,
                      const QString& startFolder)
{
    RunPlan plan;
    const int count = list.DocumentCount();
    plan.kinds.resize(count);
    plan.sameOutputAs.fill(-1, count);
    QHash<QString, int> claimed;
    for (int row = 0; row < count; ++row) {
        const QString path = list.path(row);
        // A batch run does not follow links planted in a folder others can write to.
        plan.kinds[row] = KindOfDocument(path, list.nativePath(row), !batch);
        if (isBatchLog(path, startFolder) || plan.kinds[row] == DocumentFileKind::NotAFile ||
            DocumentNames::of(path).typeSuffix == QLatin1String("PDF"))
            continue;
        const QString output = outputFileOf(path, batch, destination);
        const auto earlier = claimed.constFind(output);
        if (earlier != claimed.constEnd()) {
            plan.sameOutputAs[row] = *earlier;
            continue;
        }
        claimed.insert(output, row);
        const QFileInfo existing(output);
        if (!batch && (existing.exists() || existing.isSymLink()))
            ++plan.existingOutputs;
    }
    return plan;
}
