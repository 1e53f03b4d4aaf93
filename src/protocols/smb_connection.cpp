#include "protocols/smb_connection.h"

#include <cerrno>
#include <cstring>

namespace ferrolin {

namespace {

// How long one request may wait for the server before it counts as gone.
constexpr int kTimeoutMs = 15000;

// The connection whose call runs on this thread: libsmbclient asks for the logon from
// inside a call and passes only the context.
thread_local const SmbConnection* tCalling = nullptr;

void CopyOut(const std::string& value, char* out, int length) {
    if (length <= 0) return;
    const size_t n = std::min(value.size(), static_cast<size_t>(length - 1));
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
}

}  // namespace

SmbConnection::SmbConnection(std::shared_ptr<const SmbLibrary> api, const std::string& user,
                             std::string password)
    : api_(std::move(api)), givenUser_(user), password_(std::move(password)) {
    const size_t split = user.find_first_of("\\/");
    if (split == std::string::npos) {
        user_ = user;
    } else {
        domain_ = user.substr(0, split);
        user_ = user.substr(split + 1);
    }
    ctx_ = api_->smbc_new_context();
    if (ctx_ == nullptr) return;
    api_->smbc_setDebug(ctx_, 0);
    api_->smbc_setFunctionAuthDataWithContext(ctx_, &SmbConnection::Authenticate);
    api_->smbc_setTimeout(ctx_, kTimeoutMs);
    // The job's user name and password, nothing else: no Kerberos ticket of whoever runs
    // the program, no silent fall-back to a guest logon.
    api_->smbc_setOptionUseKerberos(ctx_, 0);
    api_->smbc_setOptionFallbackAfterKerberos(ctx_, 1);
    api_->smbc_setOptionNoAutoAnonymousLogin(ctx_, givenUser_.empty() ? 0 : 1);
    if (api_->smbc_init_context(ctx_) == nullptr) {
        const int error = errno;
        api_->smbc_free_context(ctx_, 1);
        ctx_ = nullptr;
        errno = error;
    }
}

SmbConnection::~SmbConnection() {
    if (ctx_ != nullptr) api_->smbc_free_context(ctx_, 1);
}

SmbConnection::Call::Call(SmbConnection& connection)
    : lock_(connection.mutex_), previous_(tCalling) {
    tCalling = &connection;
}

SmbConnection::Call::~Call() {
    tCalling = previous_;
}

bool SmbConnection::SameCredentials(const std::string& user, const std::string& password) const {
    return user == givenUser_ && password == password_;
}

void SmbConnection::Authenticate(SMBCCTX* ctx, const char*, const char*, char* workgroup,
                                 int workgroupLength, char* user, int userLength, char* password,
                                 int passwordLength) {
    const SmbConnection* self = tCalling;
    if (self == nullptr || self->ctx_ != ctx) return;
    if (!self->domain_.empty()) CopyOut(self->domain_, workgroup, workgroupLength);
    CopyOut(self->user_, user, userLength);
    CopyOut(self->password_, password, passwordLength);
}

}  // namespace ferrolin
