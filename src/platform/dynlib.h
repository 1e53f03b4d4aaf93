#pragma once
// A shared library loaded at run time (dlopen), unloaded when the object goes.
#include <string>

namespace ferrolin::platform {

class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary() { Close(); }
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Loads the library at path (never searched for elsewhere); IsLoaded() tells.
    static DynamicLibrary Open(const std::string& path);
    // Loads an installed library by its run-time name (libfoo.so.N), found on the system's
    // library path, and keeps it mapped for the rest of the process even after Close():
    // libraries that leave exit handlers behind must not be unloaded. When it cannot be
    // loaded, *problem (if given) says why.
    static DynamicLibrary OpenInstalled(const std::string& name, std::string* problem);
    bool IsLoaded() const { return handle_ != nullptr; }
    // The address of an exported symbol; null when it is missing.
    void* Symbol(const char* name) const;
    void Close();

  private:
    void* handle_ = nullptr;
};

}  // namespace ferrolin::platform
