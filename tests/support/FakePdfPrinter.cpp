#include "tests/support/FakePdfPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool FakePdfPrinter::finish()
{
    if (!writeFiles)
        return true;
    const Job& job = jobs.last();
    QString name = QFileInfo(job.title).fileName();
    QFile file(QDir(job.saveFolder).filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write("%PDF-1.4\n") > 0;
}
