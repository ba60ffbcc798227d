#pragma once
// SIGTERM, SIGINT and SIGHUP as a request to end the program: the signal
// handler only writes the signal number into a pipe (async-signal-safe);
// a socket notifier reads it on the GUI thread and calls on_signal there,
// where the program closes the normal way. After the first signal the
// handlers are back to the default, so a second one ends the program at
// once. On systems without POSIX signals nothing is installed.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace tovan {

class Exit_Signals : public QObject {
    Q_OBJECT
public:
    // Needs the application object (for the notifier).
    explicit Exit_Signals(QObject* parent = nullptr);
    ~Exit_Signals() override;
    Exit_Signals(const Exit_Signals&) = delete;
    Exit_Signals& operator=(const Exit_Signals&) = delete;

    // Called on the GUI thread with the signal number.
    std::function<void(int)> on_signal;

    // False when the pipe or the handlers could not be set up.

private:
    void Read_Pipe();

    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tovan
