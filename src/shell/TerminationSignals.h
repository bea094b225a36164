#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (logout, shutdown, Ctrl+C in a terminal) into an
// ordinary quit of the application, so that everything is saved as when the
// user quits. A signal that arrives before the event loop runs is handled as
// soon as it starts.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier* notifier = nullptr;
};
