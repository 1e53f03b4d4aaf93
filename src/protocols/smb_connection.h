#pragma once
// One libsmbclient context with the user name and password it logs on with: the
// connection to one server and share. libsmbclient lets one thread at a time use a
// context, so every call through it holds Lock() (the copier's worker thread and the
// user-interface thread both reach the same share).
//
// The context is made with smbc_new_context and used through its own function table
// (smbc_getFunction*), never through the library's process-wide default context.
#include <libsmbclient.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace ferrolin {

class SmbConnection {
  public:
    // user may carry a domain: "DOMAIN\user" or "DOMAIN/user".
    SmbConnection(const std::string& user, std::string password);
    ~SmbConnection();
    SmbConnection(const SmbConnection&) = delete;
    SmbConnection& operator=(const SmbConnection&) = delete;

    // False when libsmbclient could not make a context (errno set).
    bool Valid() const { return ctx_ != nullptr; }
    SMBCCTX* Context() const { return ctx_; }
    std::unique_lock<std::mutex> Lock() { return std::unique_lock(mutex_); }

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

    const std::string givenUser_;
    std::string domain_;
    std::string user_;
    std::string password_;
    SMBCCTX* ctx_ = nullptr;
    FreeSpace freeSpace_;
    std::mutex mutex_;
};

}  // namespace ferrolin
