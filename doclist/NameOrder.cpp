#include "doclist/NameOrder.h"

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// The digits from `at` on, without leading zeros; `at` moves past the whole run.
QStringView numberAt(QStringView text, qsizetype& at)
{
    while (at < text.size() && text[at].isDigit() && text[at].digitValue() == 0)
        ++at;
    const qsizetype start = at;
    while (at < text.size() && text[at].isDigit())
        ++at;
    return text.sliced(start, at - start);
}

} // namespace

int naturalCompare(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const QStringView x = numberAt(a, i);
            const QStringView y = numberAt(b, j);
            // Without leading zeros the longer number is the larger one.
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            for (qsizetype k = 0; k < x.size(); ++k) {
                if (x[k].digitValue() != y[k].digitValue())
                    return x[k].digitValue() < y[k].digitValue() ? -1 : 1;
            }
            continue;
        }
        const char16_t x = a[i].toCaseFolded().unicode();
        const char16_t y = b[j].toCaseFolded().unicode();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    const bool aLeft = i < a.size();
    const bool bLeft = j < b.size();
    return int(aLeft) - int(bLeft);
}

NameOrder::NameOrder(const QLocale& locale) : m_collator(locale)
{
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    // The C locale compares code units and ignores both settings, as does a collator without a
    // collation library behind it; ask it rather than guess.
    m_collatorIsNatural =
        locale.language() != QLocale::C &&
        m_collator.compare(QStringLiteral("page2"), QStringLiteral("page10")) < 0 &&
        m_collator.compare(QStringLiteral("a"), QStringLiteral("A")) == 0;
}

int NameOrder::compare(const QString& a, const QString& b) const
{
    const int natural = m_collatorIsNatural ? m_collator.compare(a, b) : naturalCompare(a, b);
    if (natural != 0)
        return sign(natural);
    return sign(QString::compare(a, b, Qt::CaseSensitive));
}
