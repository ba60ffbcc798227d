#include "gui/exit_signals.h"

#include <QSocketNotifier>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#define TOVAN_POSIX_SIGNALS 1
#endif

namespace tovan {

#ifdef TOVAN_POSIX_SIGNALS
namespace {

constexpr int Exit_Signal_List[] = {SIGTERM, SIGINT, SIGHUP};
// The pipe's ends; written by the handler, so plain ints set before the
// handlers are installed and cleared after they are removed.
int pipe_read = -1;
int pipe_write = -1;

extern "C" void On_Exit_Signal(int sig) {
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    // A full pipe already holds a request: nothing is lost.
    [[maybe_unused]] const ssize_t n = ::write(pipe_write, &b, 1);
    // A second signal ends the program without waiting for the first.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    errno = saved;
}

bool Set_Up_Pipe() {
    int fds[2];
    if (::pipe(fds) != 0) return false;
    for (int fd : fds) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    pipe_read = fds[0];
    pipe_write = fds[1];
    return true;
}

}  // namespace
#endif

Exit_Signals::Exit_Signals(QObject* parent) : QObject(parent) {
#ifdef TOVAN_POSIX_SIGNALS
    if (pipe_read >= 0 || !Set_Up_Pipe()) return;  // one set of handlers per process
    notifier_ = new QSocketNotifier(pipe_read, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { Read_Pipe(); });
    struct sigaction sa {};
    sa.sa_handler = On_Exit_Signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : Exit_Signal_List) ::sigaction(sig, &sa, nullptr);
#endif
}

Exit_Signals::~Exit_Signals() {
#ifdef TOVAN_POSIX_SIGNALS
    if (!notifier_) return;
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    for (int sig : Exit_Signal_List) ::sigaction(sig, &dfl, nullptr);
    delete notifier_;
    notifier_ = nullptr;
    ::close(pipe_read);
    ::close(pipe_write);
    pipe_read = pipe_write = -1;
#endif
}

void Exit_Signals::Read_Pipe() {
#ifdef TOVAN_POSIX_SIGNALS
    unsigned char b = 0;
    int last = 0;
    while (::read(pipe_read, &b, 1) == 1) last = b;
    if (last != 0 && on_signal) on_signal(last);
#endif
}

}  // namespace tovan
