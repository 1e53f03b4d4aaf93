#pragma once
// A library the program calls by its own function names, but loads at the first call
// instead of at start: libcurl and GMime drag in TLS, SSH, Kerberos, LDAP and GLib, whose
// loading would cost every run, most of which never leave the local disks.
//
// Each function the program uses gets a small definition of the same name (see
// curl_binding.cpp, gmime_binding.cpp) that looks the real one up once and calls it. A
// function missing from those lists fails the link with "undefined reference": add it
// there. The definitions are hidden, so only this program's code reaches them, never a
// library that happens to be loaded beside it (the window's Qt loads GLib of its own).
#include <string>

#include "platform/dynlib.h"

#define FERROLIN_BOUND __attribute__((visibility("hidden")))

// Defines name(Params) for library (an expression giving a BoundLibrary): forwards Args
// to the real function, or gives Failure when the library or the function is missing.
#define FERROLIN_FORWARD(library, Result, name, Params, Args, Failure)                   \
    extern "C" FERROLIN_BOUND Result name Params {                                      \
        static const auto real = (library).Find<decltype(&::name)>(#name);              \
        return real != nullptr ? real Args : Failure;                                   \
    }

namespace ferrolin {

class BoundLibrary {
  public:
    // Loads the installed library name (its soname) for good. When it cannot be loaded,
    // says so once on stderr, naming what fails without it (users); every forwarder then
    // gives its failure value.
    BoundLibrary(const char* name, const char* users);
    BoundLibrary(const BoundLibrary&) = delete;
    BoundLibrary& operator=(const BoundLibrary&) = delete;

    bool Loaded() const { return library_.IsLoaded(); }
    template <typename Function>
    Function Find(const char* symbol) const {
        return reinterpret_cast<Function>(library_.Symbol(symbol));
    }

  private:
    platform::DynamicLibrary library_;
};

}  // namespace ferrolin
