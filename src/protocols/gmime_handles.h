#pragma once
// Ownership of GMime's reference-counted objects, and setting the library up.
#include <gmime/gmime.h>

#include <memory>

namespace ferrolin {

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) g_object_unref(object);
    }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GFreeDeleter {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

// GMime's tables are set up once for the process and stay (it cannot be set up again after
// a shutdown). Everything that makes GMime objects calls this first; it is thread-safe.
inline void EnsureGMime() {
    static const bool ready = (g_mime_init(), true);
    (void)ready;
}

}  // namespace ferrolin
