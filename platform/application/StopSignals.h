#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a request to stop, delivered on the window's thread: an
// unattended run is stopped as a click on Stop would stop it, and its log ends saying so. A
// second signal ends the program at once.
class StopSignals final : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};
