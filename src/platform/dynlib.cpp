#include "platform/dynlib.h"

#include <dlfcn.h>

#include <utility>

namespace ferrolin::platform {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

DynamicLibrary DynamicLibrary::Open(const std::string& path) {
    DynamicLibrary library;
    // A path with a separator is loaded from there only, never looked up on the
    // library search path.
    const std::string exact = path.find('/') == std::string::npos ? "./" + path : path;
    library.handle_ = ::dlopen(exact.c_str(), RTLD_NOW | RTLD_LOCAL);
    return library;
}

DynamicLibrary DynamicLibrary::OpenInstalled(const std::string& name, std::string* problem) {
    DynamicLibrary library;
    library.handle_ = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (library.handle_ == nullptr && problem != nullptr) {
        const char* why = ::dlerror();
        *problem = why != nullptr ? why : "not found";
    }
    return library;
}

void* DynamicLibrary::Symbol(const char* name) const {
    return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

void DynamicLibrary::Close() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
        handle_ = nullptr;
    }
}

}  // namespace ferrolin::platform
