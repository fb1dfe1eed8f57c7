#pragma once

#include "platform/process/ChildProcess.h"

#include <QProcess>

// A child started through QProcess. Waits block the calling thread; no event loop is needed.
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

    // Waits for the end until the command's time limit, then kills; used by runs to completion.
    ProcessResult waitForEnd(std::chrono::milliseconds limit);

private:
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
    qint64 m_pid = 0;
    QString m_startError;
    QByteArray m_errorTail;
};
