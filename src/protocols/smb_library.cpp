#include "protocols/smb_library.h"

namespace ferrolin {

std::shared_ptr<const SmbLibrary> SmbLibrary::Load(const std::string& name, std::string* problem) {
    auto api = std::make_shared<SmbLibrary>();
    std::string why;
    // Kept mapped after its last user goes: Samba's libraries leave exit handlers and
    // thread-local data behind that must not outlive their code.
    api->library_ = platform::DynamicLibrary::OpenInstalled(name, &why);
    if (!api->library_.IsLoaded()) {
        if (problem != nullptr) *problem = name + " cannot be loaded: " + why;
        return nullptr;
    }
#define FERROLIN_SMB_RESOLVE(function)                                                          \
    api->function = reinterpret_cast<decltype(api->function)>(api->library_.Symbol(#function)); \
    if (api->function == nullptr) {                                                             \
        if (problem != nullptr) *problem = name + " has no " #function;                         \
        return nullptr;                                                                         \
    }
    FERROLIN_SMB_FUNCTIONS(FERROLIN_SMB_RESOLVE)
#undef FERROLIN_SMB_RESOLVE
    return api;
}

}  // namespace ferrolin
