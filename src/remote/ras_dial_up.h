#pragma once
// The dial-up operations the jobs use: DialRas dials an entry and waits (the gauge running,
// window messages processed) until the line is up, it fails, Cancel is pressed, or the wait
// times out ("Timeout on Ras connect"). Errors go to the "Errors" list and the event log.
#include <cstdint>
#include <string>

#include "common/cancel_token.h"
#include "common/clock.h"
#include "common/surfaces.h"
#include "remote/dial_up.h"

namespace ferrolin {

// The state of the last DialRas.
enum TRasState : uint8_t { RS_Failed = 0, RS_Dialling = 1, RS_Connected = 2 };

class RasDialUp {
public:
    // logFile: the event log; cancel: the run's Cancel, which ends a wait.
    RasDialUp(Surfaces& surfaces, Clock& clock, std::string logFile, const CancelToken& cancel);
    RasDialUp(const RasDialUp&) = delete;
    RasDialUp& operator=(const RasDialUp&) = delete;

    // Dial-up is offered only where NetworkManager answers.
    bool Available() { return DialUp.Available(); }

    // Dials target and waits; true when the line is up. A failed wait hangs up.
    bool DialRas(const std::string& target);
    // Waits up to timeOut cycles; false (with the time-out lines) unless connected.
    bool WaitForRasConnect(int timeOut);
    void HangUp();

    NetworkDialUp DialUp;
    uint8_t RasState = RS_Failed;
    std::string LStatus;  // the last progress text
    std::string Status2;  // the state in words
    // The wait of DialRas in cycles, and one cycle's length (600 x 100 ms: about a minute).
    int TimeOutCycles = 600;
    int CycleMs = 100;

private:
    void ErrorLine(const std::string& text);
    void OnAsyncEvent(int state, int error, const std::string& text);

    Surfaces& surfaces_;
    Clock& clock_;
    const std::string logFile_;
    const CancelToken& cancel_;
};

}  // namespace ferrolin
