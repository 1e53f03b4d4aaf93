#include "remote/ras_dial_up.h"

#include <utility>

#include "common/datetime_format.h"
#include "common/log.h"
#include "common/text.h"

namespace ferrolin {

RasDialUp::RasDialUp(Surfaces& surfaces, Clock& clock, std::string logFile,
                     const CancelToken& cancel)
    : surfaces_(surfaces), clock_(clock), logFile_(std::move(logFile)), cancel_(cancel) {
    DialUp.OnDialing = [this] {
        Status2 = "Dialing...";
        surfaces_.ProcessMessages();
    };
    DialUp.OnConnect = [this] {
        RasState = RS_Connected;
        Status2 = "Connected.";
    };
    DialUp.OnAsyncEvent = [this](int state, int error, const std::string& text) {
        OnAsyncEvent(state, error, text);
    };
    DialUp.OnNotConnected = [this](int, const std::string& text) {
        RasState = RS_Failed;
        surfaces_.SetGauge(0, text);
        ErrorLine(text);
        Status2 = "Not Connected";
    };
    DialUp.OnError = [this](int, const std::string& text) {
        RasState = RS_Failed;
        surfaces_.SetGauge(0, text);
        ErrorLine(text);
        Status2 = text;
    };
}

void RasDialUp::ErrorLine(const std::string& text) {
    surfaces_.AppendError(TimeToStr(clock_.Now()) + " " + text);
    WriteLog(0, logFile_, text);
}

void RasDialUp::OnAsyncEvent(int, int error, const std::string& text) {
    surfaces_.SetGauge(0, text);
    LStatus = text;
    if (AsciiLower(text) == "connected") RasState = RS_Connected;
    if (error != 0) {
        RasState = RS_Failed;
        Status2 = text;
        ErrorLine(text);
        DialUp.HangUp();
    }
}

bool RasDialUp::DialRas(const std::string& target) {
    RasState = RS_Dialling;
    LStatus.clear();
    DialUp.Entry = target;
    DialUp.DialMode = dmAsync;
    if (DialUp.Dial() != 0) RasState = RS_Failed;
    const bool connected = WaitForRasConnect(TimeOutCycles);
    if (!connected) DialUp.HangUp();
    return connected;
}

bool RasDialUp::WaitForRasConnect(int timeOut) {
    int counter = timeOut;
    while (RasState == RS_Dialling && (counter > 1 || counter == 0) && !cancel_.Cancelled()) {
        // The cycle's pause is the wait for NetworkManager's news.
        DialUp.Pump(CycleMs);
        if (timeOut > 1) surfaces_.SetGauge((timeOut - counter) * 100 / timeOut, surfaces_.GaugeText());
        surfaces_.ProcessMessages();
        --counter;
    }
    if (counter != 1 && RasState == RS_Connected) return true;
    surfaces_.AppendError(TimeToStr(clock_.Now()) + " Timeout on Ras connect" + LStatus);
    WriteLog(0, logFile_, "Timeout on Ras connect" + LStatus);
    return false;
}

void RasDialUp::HangUp() { DialUp.HangUp(); }

}  // namespace ferrolin
