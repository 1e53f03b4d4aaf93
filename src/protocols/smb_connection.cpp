#include "protocols/smb_connection.h"

#include <cerrno>
#include <cstring>

namespace ferrolin {

namespace {

// How long one request may wait for the server before it counts as gone.
constexpr int kTimeoutMs = 15000;

void CopyOut(const std::string& value, char* out, int length) {
    if (length <= 0) return;
    const size_t n = std::min(value.size(), static_cast<size_t>(length - 1));
    std::memcpy(out, value.data(), n);
    out[n] = '\0';
}

}  // namespace

SmbConnection::SmbConnection(const std::string& user, std::string password)
    : givenUser_(user), password_(std::move(password)) {
    const size_t split = user.find_first_of("\\/");
    if (split == std::string::npos) {
        user_ = user;
    } else {
        domain_ = user.substr(0, split);
        user_ = user.substr(split + 1);
    }
    ctx_ = smbc_new_context();
    if (ctx_ == nullptr) return;
    smbc_setDebug(ctx_, 0);
    smbc_setOptionUserData(ctx_, this);
    smbc_setFunctionAuthDataWithContext(ctx_, &SmbConnection::Authenticate);
    smbc_setTimeout(ctx_, kTimeoutMs);
    // The job's user name and password, nothing else: no Kerberos ticket of whoever runs
    // the program, no silent fall-back to a guest logon.
    smbc_setOptionUseKerberos(ctx_, 0);
    smbc_setOptionFallbackAfterKerberos(ctx_, 1);
    smbc_setOptionNoAutoAnonymousLogin(ctx_, givenUser_.empty() ? 0 : 1);
    if (smbc_init_context(ctx_) == nullptr) {
        const int error = errno;
        smbc_free_context(ctx_, 1);
        ctx_ = nullptr;
        errno = error;
    }
}

SmbConnection::~SmbConnection() {
    if (ctx_ != nullptr) smbc_free_context(ctx_, 1);
}

bool SmbConnection::SameCredentials(const std::string& user, const std::string& password) const {
    return user == givenUser_ && password == password_;
}

void SmbConnection::Authenticate(SMBCCTX* ctx, const char*, const char*, char* workgroup,
                                 int workgroupLength, char* user, int userLength, char* password,
                                 int passwordLength) {
    const auto* self = static_cast<const SmbConnection*>(smbc_getOptionUserData(ctx));
    if (self == nullptr) return;
    if (!self->domain_.empty()) CopyOut(self->domain_, workgroup, workgroupLength);
    CopyOut(self->user_, user, userLength);
    CopyOut(self->password_, password, passwordLength);
}

}  // namespace ferrolin
