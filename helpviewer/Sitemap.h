#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One entry of a help file's table of contents or index: its name, the page it opens (a path
// inside the help file, maybe with a #fragment) and the entries below it.
struct SitemapEntry
{
    QString name;
    QString local;
    QList<SitemapEntry> children;
};

// Reads the HTML "sitemap" form of a table of contents (.hhc) or an index (.hhk): nested lists
// whose items are <OBJECT type="text/sitemap"> with "Name" and "Local" parameters. Anything it
// does not know is passed over; a damaged file gives what could be read.
QList<SitemapEntry> ParseSitemap(const QByteArray& html);
