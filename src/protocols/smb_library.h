#pragma once
// libsmbclient, loaded when the first share is reached rather than when the program starts:
// the library drags in some hundred Samba, Kerberos and LDAP libraries whose loading would
// cost every run, most of which never touch a share. The functions the share code calls
// are looked up once and held here; a connection keeps the table (and so the library)
// alive for as long as it is used.
#include <libsmbclient.h>

#include <memory>
#include <string>

#include "platform/dynlib.h"

namespace ferrolin {

// Every libsmbclient function the share code uses; X(name) for each.
#define FERROLIN_SMB_FUNCTIONS(X)          \
    X(smbc_new_context)                    \
    X(smbc_init_context)                   \
    X(smbc_free_context)                   \
    X(smbc_setDebug)                       \
    X(smbc_setTimeout)                     \
    X(smbc_setOptionUseKerberos)           \
    X(smbc_setOptionFallbackAfterKerberos) \
    X(smbc_setOptionNoAutoAnonymousLogin)  \
    X(smbc_setFunctionAuthDataWithContext) \
    X(smbc_getFunctionOpen)                \
    X(smbc_getFunctionClose)               \
    X(smbc_getFunctionRead)                \
    X(smbc_getFunctionWrite)               \
    X(smbc_getFunctionLseek)               \
    X(smbc_getFunctionFtruncate)           \
    X(smbc_getFunctionFstat)               \
    X(smbc_getFunctionStat)                \
    X(smbc_getFunctionStatVFS)             \
    X(smbc_getFunctionOpendir)             \
    X(smbc_getFunctionClosedir)            \
    X(smbc_getFunctionReaddirPlus2)        \
    X(smbc_getFunctionRename)              \
    X(smbc_getFunctionUnlink)              \
    X(smbc_getFunctionMkdir)               \
    X(smbc_getFunctionUtimes)              \
    X(smbc_getFunctionChmod)

class SmbLibrary {
  public:
    // The library found under name on the system's library path with every function
    // above; nothing when it is not installed or lacks one, with *problem saying which.
    static std::shared_ptr<const SmbLibrary> Load(const std::string& name, std::string* problem);

#define FERROLIN_SMB_POINTER(name) decltype(&::name) name = nullptr;
    FERROLIN_SMB_FUNCTIONS(FERROLIN_SMB_POINTER)
#undef FERROLIN_SMB_POINTER

  private:
    platform::DynamicLibrary library_;
};

}  // namespace ferrolin
