// The compiled help as the program ships it: the topics the window opens are there, and no link
// of a page, of the table of contents or of the index leads nowhere.
#include "helpviewer/ChmFile.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

const QString kHelpFile = QStringLiteral(CORVANTA_HELP_FILE);

std::unique_ptr<ChmFile> openHelp()
{
    QString why;
    std::unique_ptr<ChmFile> help = ChmFile::open(kHelpFile, &why);
    EXPECT_TRUE(help) << "cannot open " << kHelpFile.toStdString() << ": " << why.toStdString();
    return help;
}

QStringList pages(const ChmFile& help)
{
    return help.paths().filter(
        QRegularExpression(QStringLiteral("\\.html?$"), QRegularExpression::CaseInsensitiveOption));
}

QString text(const ChmFile& help, const QString& path)
{
    return QString::fromUtf8(help.read(path).value_or(QByteArray()));
}

QStringList captures(const QString& text, const QRegularExpression& pattern)
{
    QStringList found;
    for (auto match = pattern.globalMatch(text); match.hasNext();)
        found.append(match.next().captured(2));
    return found;
}

bool leavesTheFile(const QString& link)
{
    static const QRegularExpression outside(QStringLiteral("^(#|mailto:|https?:)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return link.isEmpty() || outside.match(link).hasMatch();
}

// The stored path a link of `fromPath` names, without its fragment.
QString target(const QString& fromPath, const QString& link)
{
    const QString file = QUrl::fromPercentEncoding(link.section(QLatin1Char('#'), 0, 0).toUtf8());
    if (file.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(file);
    return QDir::cleanPath(fromPath.section(QLatin1Char('/'), 0, -2) + QLatin1Char('/') + file);
}

} // namespace

TEST(HelpFileTest, HoldsTheTopicsTheWindowOpensEachPageWithATitle)
{
    const std::unique_ptr<ChmFile> help = openHelp();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->title(), "Corvanta Help");
    ASSERT_FALSE(help->defaultTopic().isEmpty());
    const QStringList topics = {help->defaultTopic(), "/CreatingPDFs.htm", "/BulkConvert.htm",
                                "/ScanningFiles.htm", "/Security.htm"};
    for (const QString& topic : topics)
        EXPECT_TRUE(help->read(topic)) << topic.toStdString() << " is not in the help";

    static const QRegularExpression title(QStringLiteral("<title>\\s*([^<]*\\S)\\s*</title>"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QStringList stored = pages(*help);
    EXPECT_GE(stored.size(), topics.size());
    for (const QString& page : stored)
        EXPECT_TRUE(title.match(text(*help, page)).hasMatch())
            << page.toStdString() << " has no title";
}

TEST(HelpFileTest, EveryLinkOfThePagesTheContentsAndTheIndexResolves)
{
    const std::unique_ptr<ChmFile> help = openHelp();
    ASSERT_TRUE(help);
    static const QRegularExpression pageLink(QStringLiteral("\\b(href|src)\\s*=\\s*\"([^\"]*)\""),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression entry(
        QStringLiteral("<param\\s+(name)=\"Local\"\\s+value=\"([^\"]*)\""),
        QRegularExpression::CaseInsensitiveOption);

    QStringList broken;
    int links = 0;
    const auto check = [&](const QString& from, const QStringList& found) {
        for (const QString& link : found) {
            if (leavesTheFile(link))
                continue;
            ++links;
            if (!help->read(target(from, link)))
                broken.append(from + QStringLiteral(" -> ") + link);
        }
    };
    for (const QString& page : pages(*help))
        check(page, captures(text(*help, page), pageLink));

    for (const QString& listing : {help->contentsFile(), help->indexFile()}) {
        ASSERT_FALSE(listing.isEmpty()) << "the help names no table of contents or index";
        const QStringList entries = captures(text(*help, listing), entry);
        EXPECT_FALSE(entries.isEmpty()) << listing.toStdString() << " lists no topic";
        check(listing, entries);
    }
    EXPECT_GT(links, 0);
    EXPECT_TRUE(broken.isEmpty()) << broken.join(QLatin1Char('\n')).toStdString();
}
