#include "termination.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace hopsmeld {

namespace {

int signalPipe[2] = {-1, -1};

// A signal handler may do next to nothing: it writes one byte, the event loop does the rest.
// The socket never blocks (a full one already holds a byte that ends the program), and errno
// is left as the interrupted code had it.
void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
    errno = savedErrno;
}

// The session manager's "die" arrives as a Quit event, and quit() would ask the window to close
// first, which it refuses. Leave the event loop directly.
class SessionEndFilter : public QObject {
  public:
    SessionEndFilter(std::function<void()> end, QObject* parent)
        : QObject(parent), end_(std::move(end)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
            end_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> end_;
};

void endOnTerminationSignals(const std::function<void()>& end) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, end] {
        char byte;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], &byte, 1);
        notifier->setEnabled(false);
        end();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void endWhenTheSessionEnds(const std::function<void()>& end) {
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new SessionEndFilter(end, app));
}

} // namespace

void endWhenAsked(std::function<void()> end) {
    endOnTerminationSignals(end);
    endWhenTheSessionEnds(end);
}

} // namespace hopsmeld
