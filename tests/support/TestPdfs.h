#pragma once

#include <QPainter>
#include <QPdfWriter>
#include <QPointF>
#include <QTemporaryDir>

// A PDF of `pages` pages in `dir`, each page saying "<name> page <n>".
inline QString MakeTestPdf(const QTemporaryDir& dir, const QString& name, int pages)
{
    const QString path = dir.filePath(name);
    QPdfWriter writer(path);
    QPainter painter(&writer);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(QPointF(200, 400), QStringLiteral("%1 page %2").arg(name).arg(page));
    }
    return path;
}
