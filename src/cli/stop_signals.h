#pragma once
// SIGINT and SIGTERM as requests the program picks up when it is ready (between files,
// while idle), instead of ending it in the middle of a write. While an object lives the
// two signals are blocked in every thread and a watching thread of its own receives them;
// the old mask comes back when it goes.
//
// The program's thread may be inside a call that waits on a server (a share that stopped
// answering): a reaction attached with React() runs on the watching thread the moment a
// signal arrives, so it can cut such a call short.
#include <signal.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace ferrolin::cli {

class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Waits up to timeout for a stop signal; true when one arrived (now or before).
    bool WaitFor(std::chrono::milliseconds timeout);
    // True when a stop signal arrived; does not wait.
    bool Pending() { return WaitFor(std::chrono::milliseconds(0)); }

    // While it lives, onStop runs once on the watching thread when the first stop signal
    // arrives (at once if one already has). onStop must be safe to call from another
    // thread; its object's destructor waits for a running call to end.
    class Reaction {
      public:
        explicit Reaction(StopSignals& signals) : signals_(signals) {}
        ~Reaction();
        Reaction(const Reaction&) = delete;
        Reaction& operator=(const Reaction&) = delete;

      private:
        StopSignals& signals_;
    };
    [[nodiscard]] Reaction React(std::function<void()> onStop);

  private:
    void Watch();
    // The first signal: noted, waiters woken, the reaction run. Under mutex_.
    void Arrived();

    sigset_t signals_;
    sigset_t previous_;
    int signalFd_ = -1;  // the two signals, readable when one is pending
    int wakeFd_ = -1;    // written when the object goes: the watching thread ends
    std::mutex mutex_;
    std::condition_variable arrived_;
    bool received_ = false;
    std::function<void()> onStop_;
    std::thread watcher_;
};

}  // namespace ferrolin::cli
