#pragma once

#include <functional>
#include <utility>
#include <vector>

// Lets the user stop a conversion run, and the window know whether one is going on. The run
// ends after the document it is converting; a document still waiting for a renderer is dropped
// at once.
class RunControl
{
public:
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }
    // A new run starts unstopped.
    void reset() { m_stop = false; }

    // True from a run's first step to its last.
    bool running() const { return m_running; }
    // `work` runs once the run going on has ended (a close asked for during a run waits for it:
    // the run still uses what the close would free).
    void whenOver(std::function<void()> work) { m_whenOver.push_back(std::move(work)); }

    // Held by the run for as long as it goes on.
    class Running
    {
    public:
        explicit Running(RunControl& control) : m_control(control) { m_control.m_running = true; }
        ~Running()
        {
            m_control.m_running = false;
            for (auto& work : std::exchange(m_control.m_whenOver, {}))
                work();
        }
        Running(const Running&) = delete;
        Running& operator=(const Running&) = delete;

    private:
        RunControl& m_control;
    };

private:
    bool m_stop = false;
    bool m_running = false;
    std::vector<std::function<void()>> m_whenOver;
};
