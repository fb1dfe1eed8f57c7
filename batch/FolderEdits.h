#pragma once

#include <QString>

// The two folder boxes of the Bulk Conversion page, and its "Schedule" button that follows them.
class FolderEdits
{
public:
    virtual ~FolderEdits() = default;

    virtual QString startFolderText() const = 0;
    virtual QString destinationFolderText() const = 0;
    virtual void setStartFolderText(const QString& text) = 0;
    virtual void setDestinationFolderText(const QString& text) = 0;
    virtual void setScheduleEnabled(bool enabled) = 0;
};
