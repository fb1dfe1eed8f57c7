#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringView>

// The order of document names a person expects: letter case ignored, numbers by their value
// ("page2", "Page3", "page10"), the language's own rules where the collator knows them. Names
// that differ only in ways this ignores fall back to the plain comparison, so the order is the
// same whatever order the names came in.
class NameOrder
{
public:
    explicit NameOrder(const QLocale& locale = QLocale());

    // Negative, zero or positive; zero only for identical names.
    int compare(const QString& a, const QString& b) const;

private:
    QCollator m_collator;
    bool m_collatorIsNatural = false;
};

// Case-insensitive, numbers by value, character by character otherwise: what the order falls
// back to when the collator cannot do it (the C locale, a build without a collation library).
int naturalCompare(QStringView a, QStringView b);
