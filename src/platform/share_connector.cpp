#include "platform/share_connector.h"

#include "platform/errors.h"

namespace ferrolin::platform {
namespace {

class UnreachableShareConnector : public ShareConnector {
public:
    int32_t AddConnection(const std::string&, const std::string&, const std::string&) override {
        return ERROR_SHARE_UNREACHABLE;
    }
    std::string LastExtendedError() override { return {}; }
};

}  // namespace

ShareConnector& DefaultShareConnector() {
    static UnreachableShareConnector connector;
    return connector;
}

}  // namespace ferrolin::platform
