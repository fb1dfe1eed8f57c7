#include "batch/ScheduleTexts.h"

namespace {

// The first character between two fields of a format such as "HH:mm" or "dd.MM.yy".
QChar separatorOf(const QString& format, QChar fallback)
{
    bool inField = false;
    bool inQuote = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            inQuote = !inQuote;
        else if (!inQuote && c.isLetter())
            inField = true;
        else if (!inQuote && inField && !c.isSpace())
            return c;
    }
    return fallback;
}

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString ScheduleTimeText(const QTime& time, const QLocale& locale)
{
    const QChar separator = separatorOf(locale.timeFormat(QLocale::ShortFormat), u':');
    return twoDigits(time.hour()) + separator + twoDigits(time.minute()) + separator +
           twoDigits(time.second());
}

QString ScheduleDateText(const QDate& date, const QLocale& locale)
{
    const QChar separator = separatorOf(locale.dateFormat(QLocale::ShortFormat), u'/');
    return twoDigits(date.month()) + separator + twoDigits(date.day()) + separator +
           QString::number(date.year()).rightJustified(4, QLatin1Char('0'));
}
