#pragma once

#include "batch/FolderEdits.h"
#include "batch/JobScheduling.h"

#include <QDate>
#include <QString>
#include <QTime>

// The Bulk Conversion page as the scheduling logic sees it: what a user typed and chose.
class FakeSchedulePage final : public FolderEdits, public SchedulePage
{
public:
    QString startFolderText() const override { return start; }
    QString destinationFolderText() const override { return destination; }
    void setStartFolderText(const QString& t) override { start = t; }
    void setDestinationFolderText(const QString& t) override { destination = t; }
    void setScheduleEnabled(bool) override {}
    bool runNowChosen() const override { return runNow; }
    QTime scheduleTime() const override { return time; }
    QDate scheduleDate() const override { return date; }

    QString start;
    QString destination;
    bool runNow = false;
    QTime time{14, 5, 0};
    QDate date{2026, 7, 12};
};
