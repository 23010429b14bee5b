#pragma once

#include <QObject>

class QSocketNotifier;

// On Linux, logging off and shutting the computer down reach a desktop program as SIGTERM, SIGHUP
// or SIGINT; this turns each of them into a Qt signal on the user-interface thread, so it can be
// handled as an ordinary close request of the window. Only one may exist at a time; destroying it
// puts back the dispositions it found.
class CloseSignals final : public QObject {
    Q_OBJECT

public:
    explicit CloseSignals(QObject* parent = nullptr);
    ~CloseSignals() override;

Q_SIGNALS:
    void closeRequested(int signalNumber);

private:
    void readPendingSignals();

    QSocketNotifier* m_notifier = nullptr;
};
