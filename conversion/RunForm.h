#pragma once

// What a conversion run needs of the window it runs in.
class RunForm
{
public:
    virtual ~RunForm() = default;

    // While a run goes on, the commands that would change the list or start a second run are
    // disabled.
    virtual void setRunning(bool running) = 0;
    // Shows the rows' new statuses at once, without letting other input through.
    virtual void repaintStatuses() = 0;
    // Scrolls the list so that `row` can be seen.
    virtual void showRow(int row) = 0;
};
