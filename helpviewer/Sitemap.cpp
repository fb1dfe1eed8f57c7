#include "helpviewer/Sitemap.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocumentFragment>

namespace {

// Entries deeper than this are put at this depth, so a file cannot make the tree (and the
// code that walks it) as deep as it likes.
constexpr int kDeepest = 32;

QString attribute(const QString& tag, const QString& name)
{
    const QRegularExpression value(
        name + QStringLiteral("\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = value.match(tag);
    if (!match.hasMatch())
        return {};
    const QString raw = match.captured(1) + match.captured(2) + match.captured(3);
    return QTextDocumentFragment::fromHtml(raw).toPlainText(); // entities such as &amp;
}

} // namespace

QList<SitemapEntry> ParseSitemap(const QByteArray& html)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(html);
    const QString text = decoder.isValid() ? QString(decoder(html)) : QString::fromLatin1(html);

    static const QRegularExpression tags(QStringLiteral("<\\s*(/?)\\s*(ul|object|param)\\b[^>]*>"),
                                         QRegularExpression::CaseInsensitiveOption);
    QList<SitemapEntry> top;
    // The lists that are open, each the children of the last entry of the one before it.
    QList<QList<SitemapEntry>*> open{&top};
    SitemapEntry* object = nullptr; // inside <OBJECT>: the entry its parameters fill
    SitemapEntry pending;
    for (QRegularExpressionMatchIterator it = tags.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const bool closing = !match.captured(1).isEmpty();
        const QString tag = match.captured(2).toLower();
        if (tag == QLatin1String("ul")) {
            if (closing) {
                if (open.size() > 1)
                    open.removeLast();
            } else if (open.size() < kDeepest && !open.last()->isEmpty()) {
                open.append(&open.last()->last().children);
            } else {
                open.append(open.last()); // a list with no entry above it, or too deep
            }
        } else if (tag == QLatin1String("object")) {
            if (!closing) {
                pending = SitemapEntry{};
                object = &pending;
            } else if (object) {
                if (!pending.name.isEmpty() || !pending.local.isEmpty())
                    open.last()->append(pending);
                object = nullptr;
            }
        } else if (object) {
            const QString name = attribute(match.captured(0), QStringLiteral("name"));
            if (name.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 &&
                object->name.isEmpty())
                object->name = attribute(match.captured(0), QStringLiteral("value"));
            else if (name.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0 &&
                     object->local.isEmpty())
                object->local = attribute(match.captured(0), QStringLiteral("value"));
        }
    }
    return top;
}
