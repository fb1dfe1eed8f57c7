#include "tests/support/FakePdfPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool FakePdfPrinter::finish()
{
    const Job& job = jobs.last();
    saved.clear();
    if (failSaves)
        return false;
    saved = QDir(job.saveFolder).filePath(QFileInfo(job.title).fileName());
    if (!writeFiles)
        return true;
    QFile file(saved);
    if (file.open(QIODevice::WriteOnly) && file.write("%PDF-1.4\n") > 0)
        return true;
    saved.clear();
    return false;
}
