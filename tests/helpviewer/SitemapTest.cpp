#include "helpviewer/Sitemap.h"

#include <gtest/gtest.h>

namespace {

QString outline(const QList<SitemapEntry>& entries)
{
    QString text;
    for (const SitemapEntry& entry : entries) {
        text += entry.name + '=' + entry.local;
        if (!entry.children.isEmpty())
            text += '(' + outline(entry.children) + ')';
        text += ';';
    }
    return text;
}

QByteArray item(const char* name, const char* local)
{
    return QByteArray("<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"") + name +
           "\"><param name=\"Local\" value=\"" + local + "\"></OBJECT>";
}

} // namespace

TEST(Sitemap, ReadsNestedEntriesAndSurvivesWhatADamagedFileHolds)
{
    const QByteArray deep = QByteArray("<UL>").repeated(100) + item("Deep", "d.htm");
    const struct
    {
        QByteArray html;
        QString expected;
    } cases[] = {
        {"<UL>" + item("A", "a.htm") + "<UL>" + item("B", "b.htm#x") + "</UL>" +
             item("C &amp; D", "c.htm") + "</UL>",
         "A=a.htm(B=b.htm#x;);C & D=c.htm;"},
        // Lower case, single quotes, unquoted values, a list without an entry above it.
        {"<ul><ul>" +
             QByteArray("<object type='text/sitemap'><param name='name' value='E'>"
                        "<param name=local value=e.htm></object>") +
             "</ul></ul></ul></ul>" + item("F", "f.htm"),
         "E=e.htm;F=f.htm;"},
        {deep, "Deep=d.htm;"},
        {"<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"cut", ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.html.left(80).toStdString());
        EXPECT_EQ(outline(ParseSitemap(test.html)), test.expected);
    }
}
