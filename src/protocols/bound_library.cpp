#include "protocols/bound_library.h"

#include <cstdio>

namespace ferrolin {

BoundLibrary::BoundLibrary(const char* name, const char* users) {
    std::string why;
    library_ = platform::DynamicLibrary::OpenInstalled(name, &why);
    if (!library_.IsLoaded()) {
        std::fprintf(stderr, "ferrolin: %s cannot be loaded (%s); %s fail\n", name, why.c_str(),
                     users);
    }
}

}  // namespace ferrolin
