#pragma once

#include "platform/process/ChildProcess.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <functional>

// A child started through QProcess. Waits block the calling thread; no event loop is needed.
// With a whileWaiting, they block in slices of at most 50 ms and ask it in between.
class QtChildProcess final : public ChildProcess
{
public:
    explicit QtChildProcess(const ProcessCommand& command);
    ~QtChildProcess() override;

    bool isRunning() override;
    qint64 processId() const override { return m_pid; }
    bool writeLine(const QByteArray& line) override;
    std::optional<QByteArray> readLine(std::chrono::milliseconds limit) override;
    ProcessResult finish(std::chrono::milliseconds grace) override;
    ProcessResult kill() override;
    bool cancelled() const override { return m_cancelled; }

    // Waits for the end until the command's time limit, then kills; used by runs to completion.
    ProcessResult waitForEnd(std::chrono::milliseconds limit);

private:
    bool sendPending(const QDeadlineTimer& deadline);
    int slice(const QDeadlineTimer& deadline) const;
    bool stopRequested();
    void keepErrorTail();
    void killGroup();
    ProcessResult collect();

    QProcess m_process;
    bool m_ownGroup = true;
    bool m_captureOutput = true;
    bool m_captureErrors = true;
    bool m_started = false;
    bool m_timedOut = false;
    bool m_killed = false;
    bool m_cancelled = false;
    std::function<bool()> m_whileWaiting;
    qint64 m_pid = 0;
    QString m_startError;
    QByteArray m_errorTail;
};
