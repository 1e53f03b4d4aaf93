// Connecting, disconnecting, the operation state and waiting for it.
#include "remote/ftp_session.h"

#include <charconv>
#include <thread>

#include "protocols/host_port.h"
#include "remote/ftp_texts.h"
#include "remote/trust_texts.h"

namespace ferrolin {

FtpSession::FtpSession(Surfaces& surfaces, const Clock& clock)
    : surfaces_(&surfaces), clock_(clock), stall_(clock) {}

void FtpSession::SetTimeOuts(FtpTimeouts CS) {
    switch (CS) {
        case FtpTimeouts::TCS_High:
            defTimeOut_ = 5000;
            highTimeOut_ = 30000;
            break;
        case FtpTimeouts::TCS_medium:
            defTimeOut_ = 30000;
            highTimeOut_ = 200000;
            break;
        case FtpTimeouts::TCS_Low:
            defTimeOut_ = 60000;
            highTimeOut_ = 300000;
            break;
    }
}

void FtpSession::SetTimeOuts(int modemspeedIndex) {
    if (modemspeedIndex >= 0 && modemspeedIndex <= 2) {
        SetTimeOuts(static_cast<FtpTimeouts>(modemspeedIndex));
    }
}

void FtpSession::ShowStatusText(std::string_view text) {
    if (statusbar_) {
        statusbar_->SetStatusText(text);
    } else if (view_) {
        view_->StatusTextChanged(text);
    }
}

void FtpSession::ShowGauge(int percent, std::string_view text) {
    if (gauge_) gauge_->SetGauge(percent, text);
}

void FtpSession::Fail(std::string statusText) {
    state_ = FtpOperationState::Failed;
    ShowStatusText(statusText);
}

bool FtpSession::Refuse(const std::string& statusText) {
    lastError_ = "Another FTP operation is still running";
    Fail(statusText);
    return false;
}

// Every operation starts busy and clean. An abort asked for while nothing ran is dropped
// here (a run's Cancel stays in force through the cancel flag).
void FtpSession::BeginOperation() {
    state_ = FtpOperationState::Busy;
    lastError_.clear();
    abortTransfer_ = false;
}

bool FtpSession::CancelRequested() const {
    return abortTransfer_ || (cancelToken_ != nullptr && cancelToken_->StopRequested());
}

// Outside transfers the progress callback only keeps the face alive and lets a Cancel
// stop a connect or a command that hangs.
FtpClient::Progress FtpSession::PumpOnly() {
    return [this](int64_t) {
        surfaces_->ProcessMessages();
        return !CancelRequested();
    };
}

void FtpSession::AbortTransfer() {
    abortTransfer_ = true;
    client_.RequestAbort();
}

// A DisconnectFTP asked for from inside a running operation (a window handler run by
// ProcessMessages) cannot close the handle under libcurl's feet: it aborts the
// operation, and the close happens here once the operation has returned.
void FtpSession::AfterOperation() {
    abortTransfer_ = false;
    if (disconnectPending_) {
        disconnectPending_ = false;
        DisconnectFTP();
    }
}

bool FtpSession::ConnectToFTP(const std::string& user, const std::string& password,
                              const std::string& address, const std::string& defaultPort,
                              bool passive) {
    FtpLogon logon;
    logon.user = user;
    logon.password = password;
    logon.passive = passive;
    logon.host = address;
    if (const auto scheme = SchemeAtStart(address)) {
        logon.scheme = *scheme;
        logon.host = FtpHostOf(address);
        return Connect(logon);
    }
    if (client_.Busy()) return Refuse(std::string(kFtpConnectException) + "busy");
    uint16_t port = 0;
    const auto [end, ec] =
        std::from_chars(defaultPort.data(), defaultPort.data() + defaultPort.size(), port);
    if (ec != std::errc() || end != defaultPort.data() + defaultPort.size() || port == 0) {
        if (client_.IsOpen()) DisconnectFTP();
        BeginOperation();
        ClearListing();
        lastError_ = "'" + defaultPort + "' is not a valid port number";
        Fail(std::string(kFtpConnectException) + lastError_);
        AfterOperation();
        return false;
    }
    // A plain host without a port takes defaultPort.
    if (port != DefaultPort(FtpScheme::Ftp)) {
        if (const auto target = SplitHostPort(address, port))
            logon.host = HostPortText(target->host, target->port);
    }
    return Connect(logon);
}

bool FtpSession::Connect(const FtpLogon& logon) {
    if (client_.Busy()) return Refuse(std::string(kFtpConnectException) + "busy");
    const auto target = SplitHostPort(logon.host, DefaultPort(logon.scheme));

    if (client_.IsOpen()) {
        // The open session is kept for the same server and login (the option that keeps
        // sessions open between jobs); another job's server never gets this one.
        const FtpConnectOptions& open = client_.Options();
        if (target && open.scheme == logon.scheme && open.host == target->host &&
            open.port == target->port && open.user == logon.user &&
            open.password == logon.password && open.passive == logon.passive &&
            open.sshKeyFile == logon.sshKeyFile) {
            return true;
        }
        DisconnectFTP();
    }

    BeginOperation();
    ClearListing();
    if (!target) {
        lastError_ = "'" + logon.host + "' is not a valid host address";
    } else {
        FtpConnectOptions options;
        options.scheme = logon.scheme;
        options.host = target->host;
        options.port = target->port;
        options.user = logon.user;
        options.password = logon.password;
        options.passive = logon.passive;
        options.sshKeyFile = logon.sshKeyFile;
        options.knownHostsFile = trust_.KnownHostsFile();
        options.tls = trust_.TlsTrustFor(target->host, target->port);
        options.maxBytesPerSecond = client_.Options().maxBytesPerSecond;
        options.connectTimeout = std::chrono::milliseconds(defTimeOut_);
        options.stallTimeout = std::chrono::milliseconds(highTimeOut_);
        if (client_.Open(options, PumpOnly(), lastError_)) {
            folder_ = FromServer(client_.HomeFolder());
            state_ = FtpOperationState::Done;
            AfterOperation();
            return true;
        }
        // A server that was not trusted: say why, and how to trust it where one can.
        const std::string refusal =
            IdentityRefusalText(logon.scheme, target->host, target->port, client_.Identity());
        if (!refusal.empty()) lastError_ = refusal;
    }
    Fail(lastError_.empty() ? std::string(kFtpConnectUnknown)
                            : std::string(kFtpConnectException) + lastError_);
    AfterOperation();
    DisconnectFTP();
    return false;
}

bool FtpSession::Reestablish() {
    if (!client_.IsOpen() || client_.Busy()) return client_.IsOpen();
    if (!client_.ConnectionLost()) return true;
    std::string error;
    if (client_.Noop(PumpOnly(), error)) return true;
    DisconnectFTP();
    return false;
}

void FtpSession::DisconnectFTP() {
    if (client_.Busy()) {
        disconnectPending_ = true;
        AbortTransfer();
        return;
    }
    if (!client_.IsOpen()) return;
    client_.Close();
    transferText_ = std::string(kFtpDisconnected);
    if (view_) view_->TransferTextChanged(transferText_);
}

bool FtpSession::WaitforSuccess(int TimeOut) {
    surfaces_->ProcessMessages();
    // Every operation has ended when it returns, so its outcome is already known; only a
    // state still busy would be waited for, in cycles of 100 ms.
    StallWatch watch(clock_);
    watch.Start();
    while (state_ == FtpOperationState::Busy && (TimeOut == 0 || TimeOut > 1)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (watch.Stalled(lastPercent_)) {
            TimeOut = 1;
            state_ = FtpOperationState::Failed;
        }
        surfaces_->ProcessMessages();
        if (TimeOut > 0) --TimeOut;
    }
    if (TimeOut == 1) return false;
    return state_ == FtpOperationState::Done;
}

}  // namespace ferrolin
