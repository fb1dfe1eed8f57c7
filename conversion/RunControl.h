#pragma once

// Lets the user stop a conversion run. The run ends after the document it is converting; a
// document still waiting for a renderer is dropped at once.
class RunControl
{
public:
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }
    // A new run starts unstopped.
    void reset() { m_stop = false; }

private:
    bool m_stop = false;
};
