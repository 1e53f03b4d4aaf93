#pragma once
// One libsmbclient context with the user name and password it logs on with: the
// connection to one server and share. libsmbclient lets one thread at a time use a
// context, so every call through it holds a Call (the copier's worker thread and the
// user-interface thread both reach the same share).
//
// The context is made with smbc_new_context and used through its own function table
// (smbc_getFunction*), never through the library's process-wide default context.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "protocols/smb_library.h"

namespace ferrolin {

class SmbConnection {
  public:
    // user may carry a domain: "DOMAIN\user" or "DOMAIN/user".
    SmbConnection(std::shared_ptr<const SmbLibrary> api, const std::string& user,
                  std::string password);
    ~SmbConnection();
    SmbConnection(const SmbConnection&) = delete;
    SmbConnection& operator=(const SmbConnection&) = delete;

    // False when libsmbclient could not make a context (errno set).
    bool Valid() const { return ctx_ != nullptr; }
    SMBCCTX* Context() const { return ctx_; }
    // The library's functions, for calls on Context().
    const SmbLibrary& Api() const { return *api_; }

    // One call (or a few in a row) on the context: holds the connection's lock and lets
    // the logon callback, which libsmbclient hands only the context, find this connection.
    class Call {
      public:
        explicit Call(SmbConnection& connection);
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

      private:
        std::unique_lock<std::mutex> lock_;
        const SmbConnection* previous_;
    };
    Call Lock() { return Call(*this); }

    // Calls in progress were cut off and new ones must not start (the run was stopped
    // while the server may not answer); set from any thread.
    bool Interrupted() const { return interrupted_.load(); }
    void SetInterrupted(bool on) { interrupted_ = on; }

    // Same user and password (a logon with other credentials conflicts).
    bool SameCredentials(const std::string& user, const std::string& password) const;
    bool Anonymous() const { return givenUser_.empty(); }

    // The share's free space as last asked (under Lock()); bytes -1 when never.
    struct FreeSpace {
        int64_t bytes = -1;
        std::chrono::steady_clock::time_point askedAt;
    };
    FreeSpace& LastFreeSpace() { return freeSpace_; }

  private:
    static void Authenticate(SMBCCTX* ctx, const char* server, const char* share, char* workgroup,
                             int workgroupLength, char* user, int userLength, char* password,
                             int passwordLength);

    const std::shared_ptr<const SmbLibrary> api_;
    const std::string givenUser_;
    std::string domain_;
    std::string user_;
    std::string password_;
    SMBCCTX* ctx_ = nullptr;
    FreeSpace freeSpace_;
    std::mutex mutex_;
    std::atomic<bool> interrupted_{false};
};

}  // namespace ferrolin
