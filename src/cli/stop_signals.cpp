#include "cli/stop_signals.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace ferrolin::cli {

StopSignals::StopSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals_, &previous_);
    signalFd_ = signalfd(-1, &signals_, SFD_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    // Without the two descriptors the program's own thread asks for the signals itself
    // (WaitFor), as it did before there was a watching thread.
    if (signalFd_ >= 0 && wakeFd_ >= 0) watcher_ = std::thread([this] { Watch(); });
}

StopSignals::~StopSignals() {
    if (watcher_.joinable()) {
        const uint64_t one = 1;
        (void)!write(wakeFd_, &one, sizeof one);
        watcher_.join();
    }
    if (signalFd_ >= 0) close(signalFd_);
    if (wakeFd_ >= 0) close(wakeFd_);
    sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

void StopSignals::Arrived() {
    if (received_) return;
    received_ = true;
    arrived_.notify_all();
    if (onStop_) onStop_();
}

void StopSignals::Watch() {
    pollfd watched[2] = {{signalFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (true) {
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0) return;
        if ((watched[0].revents & POLLIN) != 0) {
            signalfd_siginfo info{};
            if (read(signalFd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
            std::lock_guard lock(mutex_);
            Arrived();
        }
    }
}

bool StopSignals::WaitFor(std::chrono::milliseconds timeout) {
    const auto wait = std::max(timeout, std::chrono::milliseconds(0));
    if (watcher_.joinable()) {
        // A signal sent to this very thread (raise) is not the watcher's to receive.
        timespec now{0, 0};
        const int own = sigtimedwait(&signals_, nullptr, &now);
        std::unique_lock lock(mutex_);
        if (own == SIGINT || own == SIGTERM) Arrived();
        return arrived_.wait_for(lock, wait, [this] { return received_; });
    }
    if (received_) return true;
    const long long ms = wait.count();
    timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (true) {
        const int got = sigtimedwait(&signals_, nullptr, &left);
        if (got == SIGINT || got == SIGTERM) {
            received_ = true;
            return true;
        }
        // EINTR: another signal (a child ending); the remaining wait is short enough to
        // start over without harm.
        if (got < 0 && errno == EINTR) continue;
        return false;
    }
}

StopSignals::Reaction StopSignals::React(std::function<void()> onStop) {
    std::lock_guard lock(mutex_);
    onStop_ = std::move(onStop);
    if (received_ && onStop_) onStop_();
    return Reaction(*this);
}

StopSignals::Reaction::~Reaction() {
    std::lock_guard lock(signals_.mutex_);
    signals_.onStop_ = nullptr;
}

}  // namespace ferrolin::cli
