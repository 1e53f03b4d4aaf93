#pragma once
// The program's one FTP session: the operations the jobs and the FTP client window use
// (connect, change folder and list, upload, download, delete, rename, disconnect), the
// operation state they share, and the progress they show. The station owns one instance;
// the FTP client window is a view over the same object.
//
// Every operation runs on the user-interface thread and blocks until the server has
// answered; while it waits it pumps the face's messages (Surfaces::ProcessMessages), so
// the window stays responsive and Cancel can reach AbortTransfer(). Errors never leave
// an operation: each becomes a status text, LastError() and the operation's result.
//
// Status texts go to the status bar handed over with SetStatusbar (the main window's, from
// the start-up on), or to the FTP window's own while none is; transfers show their progress
// on the gauge handed over with SetGauge, and always in the FTP window when it is open.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/cancel_token.h"
#include "common/clock.h"
#include "common/surfaces.h"
#include "protocols/ftp_client.h"
#include "protocols/ftp_listing.h"
#include "remote/ftp_address.h"
#include "remote/ftp_progress.h"
#include "remote/host_trust.h"

namespace ferrolin {

// The job's time-out choice ("5 seconds", "30 seconds", "60 seconds"; job setting
// Modemspeed as item index 0, 1, 2).
enum class FtpTimeouts { TCS_High = 0, TCS_medium = 1, TCS_Low = 2 };

// Who logs on where: the scheme (plain FTP, FTP over TLS, SFTP), the server, the user
// and how the user proves who it is.
struct FtpLogon {
    FtpScheme scheme = FtpScheme::Ftp;
    std::string host;  // "name", "name:port", "[v6]:port"; no port: the scheme's
    std::string user;
    std::string password;  // with sshKeyFile: the key's passphrase ("" for none)
    bool passive = true;
    std::string sshKeyFile;  // SFTP: log on with this private key
    bool operator==(const FtpLogon&) const = default;
};

// The operation state: every operation sets Busy when it starts and Failed or Done when
// it ends; WaitforSuccess turns it into the operation's result.
enum class FtpOperationState : uint8_t { Failed = 0, Busy = 1, Done = 2 };

// What the FTP client window shows of the session beyond the status bar and the gauge.
// All calls come on the thread that runs the operation.
class FtpSessionView {
  public:
    virtual ~FtpSessionView() = default;
    // Panel 1 of the window's status bar: speed texts, "Transfer complete.", "Disconnected.".
    virtual void TransferTextChanged(std::string_view) {}
    // A data transfer started or ended (the Abort button is shown only meanwhile).
    virtual void TransferRunningChanged(bool) {}
    // The window's progress bar, 0-100.
    virtual void ProgressChanged(int) {}
    // A new folder and listing (or none after a failure): CurrentFolder(), RawListing().
    virtual void ListingChanged() {}
    // Panel 0 of the window's own status bar: a status text while no other status bar is
    // attached (FtpSession::SetStatusbar).
    virtual void StatusTextChanged(std::string_view) {}
    // The window's debug list is to be emptied (FtpSession::ClearDebugList).
    virtual void DebugListCleared() {}
};

class FtpSession {
  public:
    explicit FtpSession(Surfaces& surfaces, const Clock& clock = SystemClock());
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // ---- wiring ----
    // The constructor's surfaces pump the face's messages during every wait. Where status
    // texts and progress show is handed over separately (the start-up gives the main
    // window's status bar and gauge):
    // the status bar that receives the status texts; nullptr selects the FTP window's own.
    void SetStatusbar(Surfaces* statusbar) { statusbar_ = statusbar; }
    // the gauge that shows each transfer's progress and speed; nullptr: none.
    void SetGauge(Surfaces* gauge) { gauge_ = gauge; }
    Surfaces* Statusbar() const { return statusbar_; }
    Surfaces* Gauge() const { return gauge_; }
    void SetView(FtpSessionView* view) { view_ = view; }
    // Receives lines for the event log (listing lines that were not understood).
    void SetLogSink(std::function<void(std::string_view)> sink) { logSink_ = std::move(sink); }
    // A run's cancel flag (non-zero = stop); a running transfer ends within a second once
    // it is set. nullptr: none.
    void SetCancelToken(const CancelToken* token) { cancelToken_ = token; }
    // The hosts and certificates trusted beyond the system's CAs (the program folder's
    // known_hosts and trusted_certs); used from the next connect on.
    void SetTrust(HostTrust trust) { trust_ = std::move(trust); }
    const HostTrust& Trust() const { return trust_; }

    // ---- the operations ----
    // TCS_High (5 s, 30 s), TCS_medium (30 s, 200 s), TCS_Low (60 s, 300 s): the first is
    // the connect time-out, the second how long a transfer or a reply may stall.
    void SetTimeOuts(FtpTimeouts CS);
    void SetTimeOuts(int modemspeedIndex);  // 0-2 as stored in a job; others: no change
    // Any pair, in milliseconds (the FTP window's own choice; tests).
    void SetTimeOutValues(int defTimeOutMs, int highTimeOutMs) {
        defTimeOut_ = defTimeOutMs;
        highTimeOut_ = highTimeOutMs;
    }
    static std::string FtpHostOf(std::string_view Value) { return ferrolin::FtpHostOf(Value); }
    static std::string FtpFolderOf(std::string_view Value) { return ferrolin::FtpFolderOf(Value); }
    // Connects and logs in. address may carry ":port" (then defaultPort is not used), and
    // may start with a scheme ("sftp://", "ftps://", "ftpes://", "ftp://"; then a missing
    // port is the scheme's, not defaultPort). An open session to the same server, user and
    // mode is reused as it is; one to another server or user is closed first.
    bool ConnectToFTP(const std::string& user, const std::string& password,
                      const std::string& address, const std::string& defaultPort, bool passive);
    // The same for a logon given as it is. A server that is not trusted (an SSH host key
    // that is unknown or changed, a certificate refused) fails before any password goes
    // out; LastError() says why and how it can be trusted.
    bool Connect(const FtpLogon& logon);
    // Changes to folder (absolute, or relative to CurrentFolder()) and lists it. Nothing
    // happens for an empty folder unless force. A failure shows "ChangeDir failed", leaves
    // the state Failed and clears the listing. Always true.
    bool ChangeDir(const std::string& folder, bool force);
    // "name TAB size TAB date-time" for every listed entry that is not a folder, in
    // listing order; names RemoteFiles() flags as refused are left out.
    std::vector<std::string> GetRemoteFilenames() const;
    // Uploads the local file Source to the remote path Dest (replacing it).
    bool SendFile(const std::string& Source, const std::string& Dest, int64_t FileSize);
    // The same for a source on this computer or on a share, read through its file system.
    bool SendFile(platform::FileSystem& fs, const std::string& Source, const std::string& Dest,
                  int64_t FileSize);
    // Downloads the remote file Source into the local file Dest (overwriting it).
    bool ReceiveFile(const std::string& Source, const std::string& Dest, int64_t FileSize);
    // Downloads the remote file Source into Dest, an open file the caller made on this
    // computer or on a share (written from its current position; the caller closes it).
    bool ReceiveFile(const std::string& Source, platform::FsFile& Dest, int64_t FileSize);
    // Downloads the rest of the remote file Source onto the end of the local file Dest,
    // starting at Dest's size. A download that fails (the server cannot resume, an abort)
    // leaves Dest as it was. FileSize: the bytes still to come.
    bool ResumeFile(const std::string& Source, const std::string& Dest, int64_t FileSize);
    bool DeleteFile(const std::string& Source, int TimeOut);
    bool RenameFile(const std::string& Source, const std::string& Dest, int TimeOut);
    // The size and modification time the server gives for the remote file path (SIZE and
    // MDTM); false when it gave neither or the session failed.
    bool RemoteFileFacts(const std::string& path, FtpFileFacts& facts);
    // Whether the session still reaches the server after a failure (NOOP; a connection the
    // server dropped is opened again once). False: the session is lost.
    bool StillConnected();
    // Sets the remote file's modification time (file time, UTC); false where the server
    // cannot (CanSetRemoteFileTimes) or refused.
    bool SetRemoteFileTime(const std::string& path, int64_t fileTime);
    bool CanSetRemoteFileTimes() const { return client_.IsOpen() && client_.CanSetModified(); }
    // Aborts a running transfer and closes the session (QUIT). Errors are ignored.
    void DisconnectFTP();
    // TimeOut counts 100 ms cycles (0 = no limit). At least one cycle, pumping messages.
    bool WaitforSuccess(int TimeOut);

    // Stops the running transfer within a second; callable from any thread (the Abort
    // and Cancel buttons, a signal handler's thread).
    void AbortTransfer();

    // ---- for the FTP client window ----
    // Empties the window's debug list; the jobs do it before they list an FTP source.
    void ClearDebugList() {
        if (view_) view_->DebugListCleared();
    }
    bool MakeDir(const std::string& path);
    bool RemoveDir(const std::string& path);
    bool SiteCommand(const std::string& command);
    // Passive or active data connections from the next transfer or listing on; the open
    // session stays open.
    void SetPassive(bool passive) { client_.SetPassive(passive); }
    // The most bytes per second a transfer moves from the next one on; 0: no limit.
    void SetRateLimit(int64_t bytesPerSecond) { client_.SetMaxBytesPerSecond(bytesPerSecond); }

    // ---- state ----
    bool Connected() const { return client_.IsOpen(); }
    // The last operation failed and took the control connection with it: the session is
    // connected in name only until the next operation logs in again.
    bool ConnectionLost() const { return client_.ConnectionLost(); }
    // After ConnectionLost(): logs in again now, so that "connected" is true; when the
    // server does not take the session back, the session is closed. True when connected.
    bool Reestablish();
    // The scheme of the open session (or the last one).
    FtpScheme Scheme() const { return client_.Options().scheme; }
    FtpOperationState FtpState() const { return state_; }
    // The detail behind the last failure ("" after a success), for logs.
    const std::string& LastError() const { return lastError_; }
    int DefTimeOut() const { return defTimeOut_; }
    int HighTimeOut() const { return highTimeOut_; }
    const std::string& CurrentFolder() const { return folder_; }
    // The last listing, every entry (folders too), names decoded to UTF-8 and unsafe
    // names flagged (FtpEntry::refused).
    const std::vector<FtpEntry>& Listing() const { return listing_; }
    // The raw lines of the last listing, without a leading "total" line.
    const std::vector<std::string>& RawListing() const { return rawListing_; }
    // The last ChangeDir listed its folder and understood every line: a name missing from
    // Listing() is not in the folder. False after a failure or a line of no known form.
    bool ListingComplete() const { return listingComplete_; }
    // The typed form of GetRemoteFilenames: every entry that is not a folder, refused
    // names included (flagged) so a caller can report them.
    std::vector<FtpEntry> RemoteFiles() const;
    bool TransferringData() const { return transferring_; }
    int64_t BytesToTransfer() const { return bytesToTransfer_; }
    double TransferKBps() const { return transferKBps_; }
    const std::string& TransferText() const { return transferText_; }
    // Whether remote names are UTF-8 on this server (else Windows-1252).
    bool Utf8Names() const { return client_.Features().utf8; }

  private:
    // Work events around a data transfer.
    void WorkBegin();
    bool Work(bool download, int64_t bytesDone, bool force);
    void WorkEnd();
    FtpClient::Progress PumpOnly();
    // SFTP listings give coarse times: each file's own time comes from the server.
    bool FillExactTimes(const std::string& serverFolder);
    // The steps of ChangeDir: ends the operation as failed (always true, as ChangeDir);
    // changes to folder and lists it in the server's bytes; keeps the parsed entries (the
    // lines it did not understand are returned); logs those lines once each; keeps the
    // raw lines for the window.
    bool ChangeDirFailed();
    bool ListFolder(const std::string& folder, std::string& serverFolder, std::string& text,
                    FtpListFormat& format);
    std::vector<std::string> TakeListing(const std::string& text, FtpListFormat format);
    void ReportSkippedLines(const std::vector<std::string>& lines);
    void KeepRawLines(const std::string& text);
    FtpClient::Progress TransferProgress(bool download);
    // One upload of size bytes on the open session, between the work events; the upload
    // is given the transfer's progress routine.
    bool UploadCounted(int64_t size, const std::function<bool(const FtpClient::Progress&)>& upload);
    bool CancelRequested() const;

    void BeginOperation();
    // A status text on the attached status bar, or the window's own.
    void ShowStatusText(std::string_view text);
    void ShowGauge(int percent, std::string_view text);
    void Fail(std::string statusText);
    bool Refuse(const std::string& statusText);  // an operation that may not run now
    void ClearListing();
    // Absolute remote path in the server's bytes; nothing (and lastError_) when the name
    // cannot be written in the server's character set.
    std::optional<std::string> ServerPath(std::string_view path);
    std::string FromServer(std::string_view bytes) const;
    void AfterOperation();
    bool SimpleCommand(const std::function<bool(std::string&)>& command);
    bool ReceiveToPath(const std::string& Source, const std::string& Dest, int64_t FileSize,
                       bool resume);
    // One upload of Source to the remote path Dest, or one download of the remote file
    // Source: the operation's frame (busy check, gauge, status, wait) around upload or
    // download, which is called with the server's path once the operation may run.
    bool Send(const std::string& Source, const std::string& Dest, int64_t FileSize,
              const std::function<bool(const std::string& target)>& upload);
    bool Receive(const std::string& Source, int64_t FileSize,
                 const std::function<bool(const std::string& path)>& download);
    // A file command of a job (delete, rename): failure is its status text when it fails;
    // the answer is WaitforSuccess(TimeOut)'s.
    bool FileCommand(const std::string& failure, int TimeOut, const std::function<bool()>& command);

    Surfaces* surfaces_;
    Surfaces* statusbar_ = nullptr;
    Surfaces* gauge_ = nullptr;
    const Clock& clock_;
    FtpSessionView* view_ = nullptr;
    std::function<void(std::string_view)> logSink_;
    const CancelToken* cancelToken_ = nullptr;
    HostTrust trust_;

    FtpClient client_;
    FtpOperationState state_ = FtpOperationState::Done;
    std::string lastError_;
    int defTimeOut_ = 5000;
    int highTimeOut_ = 30000;
    std::string folder_;
    std::vector<FtpEntry> listing_;
    std::vector<std::string> rawListing_;
    bool listingComplete_ = false;
    std::set<std::string> reportedLines_;

    std::atomic<bool> abortTransfer_{false};
    bool transferring_ = false;
    bool disconnectPending_ = false;
    int64_t bytesToTransfer_ = 0;
    double transferKBps_ = 0;
    std::string transferText_;
    int64_t startTicks_ = 0;      // steady clock, ns, at work-begin
    int64_t lastShownTicks_ = 0;  // when the progress was last shown
    int lastPercent_ = 0;
    StallWatch stall_;
};

}  // namespace ferrolin
