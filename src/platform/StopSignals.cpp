#include "platform/StopSignals.h"

#include <atomic>
#include <csignal>
#include <signal.h>

namespace {

// The signal that arrived, 0 before. A lock-free atomic, so the handler may store it.
std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void Note(int sig) {
    stopSignal.store(sig, std::memory_order_relaxed);
}

} // namespace

void CatchStopSignals() {
    struct sigaction action = {};
    action.sa_handler = Note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        // Started under nohup, the run goes on when the terminal goes.
        struct sigaction previous;
        if (sig == SIGHUP && sigaction(sig, nullptr, &previous) == 0 &&
            previous.sa_handler == SIG_IGN) {
            continue;
        }
        sigaction(sig, &action, nullptr);
    }
}

bool StopRequested() {
    return stopSignal.load(std::memory_order_relaxed) != 0;
}

int EndByStopSignal() {
    const int sig = stopSignal.load(std::memory_order_relaxed);
    if (sig == 0) {
        return 0;
    }
    std::signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(sig);
    return 128 + sig;
}
