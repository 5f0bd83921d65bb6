#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal delivered on the GUI thread, so the program can
// close down cleanly (use counts lowered, positions saved) instead of dying mid-write. One instance per
// process; the signal handler itself only writes one byte to a pipe.
#include <QObject>

class QSocketNotifier;

namespace tarvelo::platform {

class TerminationSignal : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace tarvelo::platform
