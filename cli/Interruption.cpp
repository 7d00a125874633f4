#include "cli/Interruption.h"

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>

#include "batch/RenameSession.h"

namespace brindle::cli {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the handler touches: lock-free atomics only, as it may interrupt anything.
std::atomic<int> caughtSignal{0};
std::atomic<RenameSession*> stoppingSession{nullptr};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<RenameSession*>::is_always_lock_free);

void OnStopSignal(int signal) {
    int none = 0;
    caughtSignal.compare_exchange_strong(none, signal);
    if (RenameSession* session = stoppingSession.load())
        session->RequestStop();
}

sigset_t StopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kStopSignals)
        sigaddset(&set, signal);
    return set;
}

}  // namespace

void CatchStopSignals() {
    for (const int signal : kStopSignals) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        // A system call under way is finished rather than failed with EINTR: the stop
        // comes at the next item, never inside one.
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

int CaughtStopSignal() noexcept {
    return caughtSignal.load();
}

StopOnSignal::StopOnSignal(RenameSession& session) {
    stoppingSession.store(&session);
    // Caught while there was no session to ask.
    if (CaughtStopSignal() != 0)
        session.RequestStop();
}

StopOnSignal::~StopOnSignal() {
    stoppingSession.store(nullptr);
}

int WaitForInputOrStop(int fd) {
    // The stop signals are held back until ppoll waits, which lets them in: one that
    // comes before the wait ends it at once instead of being missed.
    const sigset_t stops = StopSignalSet();
    sigset_t previous;
    if (pthread_sigmask(SIG_BLOCK, &stops, &previous) != 0)
        return -1;
    int result = 0;
    while (CaughtStopSignal() == 0) {
        pollfd wanted{fd, POLLIN, 0};
        const int ready = ppoll(&wanted, 1, nullptr, &previous);
        if (ready > 0) {
            result = 1;
            break;
        }
        if (ready < 0 && errno != EINTR) {
            result = -1;
            break;
        }
    }
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return result;
}

void EndByCaughtSignal() {
    const int signal = CaughtStopSignal();
    if (signal == 0)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
}

}  // namespace brindle::cli
