#pragma once
// Network shares over SMB (libsmbclient): the FileSystem for share paths and the logon
// to a share. One authenticated connection per server, share and user is kept for as
// long as this object lives (a station keeps it for its whole life), so the logon before
// every file costs no new session. A logon to a share already connected under another
// user name or password keeps the open connection and answers with the credential
// conflict; paths on a share nobody logged on to use a connection without credentials.
//
// libsmbclient is loaded at the first share path or logon, not before: a station whose
// jobs never reach a share never loads it. Without it every share operation fails with
// ERROR_SHARE_CLIENT_MISSING.
//
// Threads: the user-interface thread and the copier's worker thread; the table of
// connections and each connection have their own lock. Interrupt() may come from any
// thread.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/file_system.h"
#include "platform/share_connector.h"
#include "protocols/smb_address.h"

namespace ferrolin {

class SmbConnection;
class SmbLibrary;

// The installed libsmbclient's run-time name (its soname).
inline constexpr char kSmbClientLibrary[] = "libsmbclient.so.0";

class SmbShares : public platform::FileSystem, public platform::ShareConnector {
  public:
    // libraryName: the libsmbclient to load (its soname, found on the library path).
    explicit SmbShares(std::string libraryName = kSmbClientLibrary);
    ~SmbShares() override;
    SmbShares(const SmbShares&) = delete;
    SmbShares& operator=(const SmbShares&) = delete;

    // ShareConnector: 0, ERROR_SESSION_CREDENTIAL_CONFLICT, or why the logon failed
    // (ERROR_LOGON_FAILURE, ERROR_BAD_NET_NAME, ERROR_SERVER_UNREACHABLE,
    // ERROR_SHARE_ACCESS_DENIED or an errno value).
    int32_t AddConnection(const std::string& remoteName, const std::string& userName,
                          const std::string& password) override;
    // Why libsmbclient could not be loaded; empty when it was or has not been tried.
    std::string LastExtendedError() override;

    // FileSystem.
    bool IsLocal() const override { return false; }
    platform::FsFilePtr OpenRead(const std::string& path, bool lockShared) override;
    platform::FsFilePtr OpenReadWrite(const std::string& path) override;
    platform::FsFilePtr CreateTarget(const std::string& path, bool fresh, bool direct) override;
    platform::FsProbe Probe(const std::string& path, bool lockShared) override;
    std::optional<platform::FileInfo> Stat(const std::string& path) override;
    bool FolderExists(const std::string& path) override;
    bool ListFolder(const std::string& folder, bool details,
                    const std::function<void(const platform::DirEntryInfo&)>& visit,
                    int32_t* errorCode) override;
    int32_t Rename(const std::string& from, const std::string& to, bool replace) override;
    int32_t Delete(const std::string& path) override;
    int32_t DeleteBelow(const std::string& root, std::string_view relative) override;
    int32_t CreateFolders(const std::string& path) override;
    bool CreateFoldersBelow(const std::string& root, std::string_view relative) override;
    bool SetTimesAndMode(const std::string& path, int64_t creation, int64_t lastAccess,
                         int64_t lastWrite, uint32_t mode) override;
    bool SetMode(const std::string& path, uint32_t mode) override;
    int64_t FreeBytes(const std::string& path) override;
    uint32_t SectorSize(const std::string&) override { return 0; }

    // How many connections are open (each logon of a new user or share adds one).
    size_t ConnectionCount();

    // Ends the calls in progress on every connection at once, whatever the server does,
    // and refuses new ones (ECANCELED) until Resume(): a stopped run must not wait for a
    // server that has stopped answering. Any thread may call it.
    void Interrupt();
    // A new run: calls go through again (on fresh connections where an interrupt cut one).
    void Resume();

  private:
    struct Target {
        std::shared_ptr<SmbConnection> connection;
        std::string url;
    };
    // The connection for path's share and path's address; nothing (errno set) for a text
    // that names no share or when no context could be made.
    std::optional<Target> Resolve(const std::string& path);
    platform::FsFilePtr Open(const std::string& path, int flags);
    // libsmbclient, loaded at the first use; null (errno ERROR_SHARE_CLIENT_MISSING) when
    // it cannot be. The caller holds mutex_.
    std::shared_ptr<const SmbLibrary> LibraryLocked();
    // False (errno ECANCELED) after Interrupt().
    bool MayCall() const;

    const std::string libraryName_;
    std::shared_ptr<const SmbLibrary> library_;
    std::string libraryProblem_;
    std::atomic<bool> interrupted_{false};
    std::mutex mutex_;
    // The server ports of every connection made (0: libsmbclient's defaults).
    std::set<uint16_t> ports_;
    std::map<std::string, std::shared_ptr<SmbConnection>> connections_;
};

// The logon code for the errno libsmbclient left after a failed first contact.
int32_t SmbLogonError(int error);

}  // namespace ferrolin
