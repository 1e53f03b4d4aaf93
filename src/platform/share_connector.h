#pragma once
// Connecting this computer to a network share (//server/share) with a user name and
// password. The program asks through this interface so the logon logic can be tested
// with a scripted connector; this build's own connector reaches no share yet.
#include <cstdint>
#include <string>

namespace ferrolin::platform {

class ShareConnector {
public:
    virtual ~ShareConnector() = default;
    // Connects to remoteName (//server/share); 0 on success, else an error code
    // (ERROR_EXTENDED_ERROR, ERROR_SESSION_CREDENTIAL_CONFLICT, an errno value ...).
    virtual int32_t AddConnection(const std::string& remoteName, const std::string& userName,
                                  const std::string& password) = 0;
    // The provider's own text for the last ERROR_EXTENDED_ERROR.
    virtual std::string LastExtendedError() = 0;
};

// The connector in use: until shares can be reached, every connection fails with
// ERROR_SHARE_UNREACHABLE.
ShareConnector& DefaultShareConnector();

}  // namespace ferrolin::platform
