#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// The time and date of a scheduled run as the scheduler and the confirmation show them: hours,
// minutes and seconds (24-hour clock) joined by the locale's time separator, and month, day and
// four-digit year joined by its date separator ("14:05:00", "07/12/2026").
QString ScheduleTimeText(const QTime& time, const QLocale& locale = QLocale::system());
QString ScheduleDateText(const QDate& date, const QLocale& locale = QLocale::system());
