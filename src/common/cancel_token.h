#pragma once
// The stop request of one station's runs. Two levels share one token: the operator's
// Cancel, which holds for the rest of the run of the job list, and the stop of the
// current copy or file loop (a refused logon, a cancelled overwrite), which the next copy
// forgets. The user-interface thread writes it; copy workers read it, hence the atomics.
#include <atomic>
#include <cstdint>

namespace ferrolin {

class CancelToken {
public:
    // The operator's Cancel: the running copy stops and no further job starts.
    void Cancel() {
        cancelled_ = true;
        stop_ = -1;
    }
    bool Cancelled() const { return cancelled_.load(); }

    // Stops the current copy and file loop without cancelling the run.
    void Stop() { stop_ = -1; }
    bool StopRequested() const { return stop_.load() != 0; }

    // A copy starts: the stop of the previous one is forgotten (Cancel is not).
    void ClearStop() { stop_ = 0; }
    // A run of the job list (or one job of the automatic mode) starts afresh.
    void Reset() {
        cancelled_ = false;
        stop_ = 0;
    }

private:
    std::atomic<int32_t> stop_{0};
    std::atomic<bool> cancelled_{false};
};

}  // namespace ferrolin
