#include "app/closesignals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int HandledSignals[] = { SIGTERM, SIGINT, SIGHUP };

// A signal handler may do almost nothing, so it only writes the signal's number into a socket pair
// whose other end the event loop watches (the self-pipe pattern).
int s_pipe[2] = { -1, -1 };
struct sigaction s_previous[std::size(HandledSignals)];

void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // Non-blocking: when the pipe is full the request is already pending and nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

CloseSignals::CloseSignals(QObject* parent)
    : QObject(parent)
{
    Q_ASSERT_X(s_pipe[0] < 0, "CloseSignals", "only one may exist at a time");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_pipe) != 0) {
        // Without the pair the program still runs and closes by its window; only the signals keep
        // their default action of ending it at once.
        qWarning("CloseSignals: socketpair failed (%d); signals keep their default action", errno);
        s_pipe[0] = s_pipe[1] = -1;
        return;
    }
    ::fcntl(s_pipe[0], F_SETFL, ::fcntl(s_pipe[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(s_pipe[1], F_SETFL, ::fcntl(s_pipe[1], F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CloseSignals::readPendingSignals);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Restart interrupted system calls, so a signal arriving during a file write does not turn
    // into a write error in the middle of a polling cycle.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(HandledSignals); ++i)
        ::sigaction(HandledSignals[i], &action, &s_previous[i]);
}

CloseSignals::~CloseSignals()
{
    if (s_pipe[0] < 0)
        return;
    for (std::size_t i = 0; i < std::size(HandledSignals); ++i)
        ::sigaction(HandledSignals[i], &s_previous[i], nullptr);
    delete m_notifier;
    ::close(s_pipe[0]);
    ::close(s_pipe[1]);
    s_pipe[0] = s_pipe[1] = -1;
}

void CloseSignals::readPendingSignals()
{
    char bytes[16];
    ssize_t count;
    while ((count = ::read(s_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i)
            Q_EMIT closeRequested(int(static_cast<unsigned char>(bytes[i])));
    }
}

#else

// Windows tells a program of the session's end through its own messages, which Qt reports as the
// application's aboutToQuit; the window handles that.
CloseSignals::CloseSignals(QObject* parent)
    : QObject(parent)
{
}

CloseSignals::~CloseSignals() = default;

void CloseSignals::readPendingSignals() { }

#endif
