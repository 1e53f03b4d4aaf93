#include "protocols/smb_shares.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/errors.h"
#include "platform/file_time_units.h"
#include "platform/socket_cutoff.h"
#include "protocols/smb_connection.h"
#include "protocols/smb_file.h"
#include "protocols/smb_library.h"

namespace ferrolin {

namespace {

// Reads the connection's function for a call; the lock is held by the caller.
#define SMB_FN(target, name) \
    (target).connection->Api().smbc_getFunction##name((target).connection->Context())

constexpr auto kFreeSpaceMemory = std::chrono::seconds(1);

bool IsDotName(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool CredentialsAccepted(std::shared_ptr<const SmbLibrary> api, const SmbAddress& share,
                         const std::string& user, const std::string& password) {
    SmbConnection probe(std::move(api), user, password);
    if (!probe.Valid()) return false;
    SmbAddress ipc = share;
    ipc.share = "IPC$";
    const std::string url = ipc.Url() + "/";
    auto call = probe.Lock();
    SMBCCTX* ctx = probe.Context();
    SMBCFILE* dir = probe.Api().smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
    if (dir != nullptr) {
        probe.Api().smbc_getFunctionClosedir(ctx)(ctx, dir);
        return true;
    }
    return errno != EACCES;
}

}  // namespace

int32_t SmbLogonError(int error) {
    switch (error) {
        case EACCES:
            return platform::ERROR_LOGON_FAILURE;
        case EPERM:
            return platform::ERROR_SHARE_ACCESS_DENIED;
        case ENOENT:
        case ENODEV:
        case ENOTDIR:
            return platform::ERROR_BAD_NET_NAME;
        case ECONNREFUSED:
        case ECONNRESET:
        case EHOSTUNREACH:
        case EHOSTDOWN:
        case ENETUNREACH:
        case ETIMEDOUT:
        case EINVAL:  // a server name that does not resolve
            return platform::ERROR_SERVER_UNREACHABLE;
        default:
            return error;
    }
}

SmbShares::SmbShares(std::string libraryName) : libraryName_(std::move(libraryName)) {}
SmbShares::~SmbShares() = default;

std::shared_ptr<const SmbLibrary> SmbShares::LibraryLocked() {
    if (!library_ && libraryProblem_.empty()) {
        library_ = SmbLibrary::Load(libraryName_, &libraryProblem_);
    }
    if (!library_) errno = platform::ERROR_SHARE_CLIENT_MISSING;
    return library_;
}

std::string SmbShares::LastExtendedError() {
    std::lock_guard lock(mutex_);
    return libraryProblem_;
}

bool SmbShares::MayCall() const {
    if (!interrupted_.load()) return true;
    errno = ECANCELED;
    return false;
}

int32_t SmbShares::AddConnection(const std::string& remoteName, const std::string& userName,
                                 const std::string& password) {
    const std::optional<SmbAddress> address = ParseSmbPath(remoteName);
    if (!address) return platform::ERROR_BAD_NET_NAME;
    if (!MayCall()) return ECANCELED;
    SmbAddress shareRoot = *address;
    shareRoot.rest.clear();
    const std::string key = shareRoot.ConnectionKey();
    std::shared_ptr<const SmbLibrary> api;
    {
        std::lock_guard lock(mutex_);
        auto found = connections_.find(key);
        if (found != connections_.end() && !found->second->Anonymous()) {
            return found->second->SameCredentials(userName, password)
                       ? 0
                       : platform::ERROR_SESSION_CREDENTIAL_CONFLICT;
        }
        api = LibraryLocked();
        if (!api) return platform::ERROR_SHARE_CLIENT_MISSING;
        // Known before the first contact, so an interrupt can cut that one off too.
        ports_.insert(shareRoot.port);
    }
    auto connection = std::make_shared<SmbConnection>(api, userName, password);
    if (!connection->Valid()) return SmbLogonError(errno);
    {
        // The first contact: session set-up and tree connect, so a wrong password or a
        // missing share shows now, not at the first file.
        auto lock = connection->Lock();
        SMBCCTX* ctx = connection->Context();
        const std::string url = shareRoot.Url() + "/";
        SMBCFILE* dir = api->smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
        if (dir == nullptr) {
            const int error = errno;
            if (interrupted_.load()) return ECANCELED;
            // A refused logon and a refused share look the same here; the server's IPC$
            // share tells them apart (it lets in every user whose password is right).
            if (error == EACCES && CredentialsAccepted(api, shareRoot, userName, password)) {
                return platform::ERROR_SHARE_ACCESS_DENIED;
            }
            return SmbLogonError(error);
        }
        api->smbc_getFunctionClosedir(ctx)(ctx, dir);
    }
    std::lock_guard lock(mutex_);
    auto& slot = connections_[key];
    // Open files of a connection made without credentials keep it alive until they close.
    if (slot && !slot->Anonymous()) {
        return slot->SameCredentials(userName, password)
                   ? 0
                   : platform::ERROR_SESSION_CREDENTIAL_CONFLICT;
    }
    slot = std::move(connection);
    return 0;
}

void SmbShares::Interrupt() {
    interrupted_ = true;
    std::set<uint16_t> ports;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [key, connection] : connections_) connection->SetInterrupted(true);
        for (const uint16_t port : ports_) {
            if (port != 0) {
                ports.insert(port);
            } else {
                ports.insert({445, 139});
            }
        }
    }
    platform::CutOffStreamsToPorts(ports);
}

void SmbShares::Resume() {
    std::lock_guard lock(mutex_);
    interrupted_ = false;
    for (const auto& [key, connection] : connections_) connection->SetInterrupted(false);
}

size_t SmbShares::ConnectionCount() {
    std::lock_guard lock(mutex_);
    return connections_.size();
}

std::optional<SmbShares::Target> SmbShares::Resolve(const std::string& path) {
    const std::optional<SmbAddress> address = ParseSmbPath(path);
    if (!address) {
        errno = platform::ERROR_BAD_NET_NAME;
        return std::nullopt;
    }
    if (!MayCall()) return std::nullopt;
    std::lock_guard lock(mutex_);
    auto& slot = connections_[address->ConnectionKey()];
    if (!slot) {
        std::shared_ptr<const SmbLibrary> api = LibraryLocked();
        if (!api) {
            connections_.erase(address->ConnectionKey());
            return std::nullopt;
        }
        ports_.insert(address->port);
        auto connection = std::make_shared<SmbConnection>(api, std::string(), std::string());
        if (!connection->Valid()) {
            connections_.erase(address->ConnectionKey());
            return std::nullopt;
        }
        slot = std::move(connection);
    }
    return Target{slot, address->Url()};
}

platform::FsFilePtr SmbShares::Open(const std::string& path, int flags) {
    std::optional<Target> t = Resolve(path);
    if (!t) return nullptr;
    SMBCFILE* file = nullptr;
    {
        auto lock = t->connection->Lock();
        file = SMB_FN(*t, Open)(t->connection->Context(), t->url.c_str(), flags, 0644);
    }
    if (file == nullptr) return nullptr;
    return std::make_unique<SmbFile>(t->connection, file);
}

platform::FsFilePtr SmbShares::OpenRead(const std::string& path, bool) {
    // Share paths hold no local locks; the server keeps its own sharing rules.
    platform::FsFilePtr file = Open(path, O_RDONLY);
    if (!file) return nullptr;
    const std::optional<platform::FileInfo> info = file->Info();
    if (!info) return nullptr;
    if (!info->Regular) {
        errno = platform::ERROR_NOT_REGULAR_FILE;
        return nullptr;
    }
    return file;
}

platform::FsFilePtr SmbShares::OpenReadWrite(const std::string& path) {
    return Open(path, O_RDWR);
}

platform::FsFilePtr SmbShares::CreateTarget(const std::string& path, bool fresh, bool) {
    // A temporary file is made new (whatever stands at its name is left to its owner and
    // the copier takes another name); a file written in place is cut to nothing.
    if (fresh) return Open(path, O_RDWR | O_CREAT | O_EXCL);
    const std::optional<platform::FileInfo> info = Stat(path);
    if (info && !info->Regular) {
        errno = platform::ERROR_NOT_REGULAR_FILE;
        return nullptr;
    }
    return Open(path, O_RDWR | O_CREAT | O_TRUNC);
}

platform::FsProbe SmbShares::Probe(const std::string& path, bool lockShared) {
    platform::FsProbe probe;
    const std::optional<platform::FileInfo> info = Stat(path);
    if (!info) return probe;
    if (!info->Regular) {
        probe.kind = platform::EntryKind::Other;
        return probe;
    }
    probe.kind = platform::EntryKind::Regular;
    probe.file = OpenRead(path, lockShared);
    if (probe.file) {
        probe.info = probe.file->Info().value_or(*info);
    }
    return probe;
}

std::optional<platform::FileInfo> SmbShares::Stat(const std::string& path) {
    std::optional<Target> t = Resolve(path);
    if (!t) return std::nullopt;
    auto lock = t->connection->Lock();
    struct stat st {};
    if (SMB_FN(*t, Stat)(t->connection->Context(), t->url.c_str(), &st) != 0) return std::nullopt;
    return FileInfoFromStat(st);
}

bool SmbShares::FolderExists(const std::string& path) {
    std::optional<Target> t = Resolve(path);
    if (!t) return false;
    auto lock = t->connection->Lock();
    struct stat st {};
    return SMB_FN(*t, Stat)(t->connection->Context(), t->url.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

bool SmbShares::ListFolder(const std::string& folder, bool,
                           const std::function<void(const platform::DirEntryInfo&)>& visit,
                           int32_t* errorCode) {
    std::optional<Target> t = Resolve(folder);
    if (!t) {
        if (errorCode != nullptr) *errorCode = errno;
        return false;
    }
    // Names, kinds, sizes and times arrive with the listing itself: one request per
    // folder, none per file. libsmbclient fetches the whole folder when it opens it, so a
    // listing either fails at the open or is complete: a server that goes away cannot
    // leave a short list that looks whole (which the mirror step would act on).
    std::vector<platform::DirEntryInfo> entries;
    {
        auto lock = t->connection->Lock();
        SMBCCTX* ctx = t->connection->Context();
        const SmbLibrary& api = t->connection->Api();
        SMBCFILE* dir = api.smbc_getFunctionOpendir(ctx)(ctx, (t->url + "/").c_str());
        if (dir == nullptr) {
            if (errorCode != nullptr) *errorCode = errno;
            return false;
        }
        auto readdir = api.smbc_getFunctionReaddirPlus2(ctx);
        struct stat st {};
        while (const struct libsmb_file_info* entry = readdir(ctx, dir, &st)) {
            if (entry->name == nullptr || IsDotName(entry->name)) continue;
            platform::DirEntryInfo info;
            info.name = entry->name;
            info.isDirectory = S_ISDIR(st.st_mode);
            info.isFile = S_ISREG(st.st_mode);
            info.size = static_cast<int64_t>(st.st_size);
            info.mtimeSeconds = st.st_mtim.tv_sec;
            info.mtimeNanoseconds = st.st_mtim.tv_nsec;
            entries.push_back(std::move(info));
        }
        api.smbc_getFunctionClosedir(ctx)(ctx, dir);
    }
    // The visitor runs without the connection's lock: it may reach the share itself.
    for (const platform::DirEntryInfo& info : entries) visit(info);
    return true;
}

int32_t SmbShares::Rename(const std::string& from, const std::string& to, bool replace) {
    std::optional<Target> a = Resolve(from);
    std::optional<Target> b = Resolve(to);
    if (!a || !b) return errno;
    if (a->connection != b->connection) return EXDEV;
    auto lock = a->connection->Lock();
    SMBCCTX* ctx = a->connection->Context();
    const SmbLibrary& api = a->connection->Api();
    auto rename = api.smbc_getFunctionRename(ctx);
    if (rename(ctx, a->url.c_str(), ctx, b->url.c_str()) == 0) return 0;
    int32_t error = errno;
    if (replace && (error == EEXIST || error == EACCES)) {
        // Servers that refuse to rename over an existing file: remove it, then rename.
        struct stat st {};
        if (api.smbc_getFunctionStat(ctx)(ctx, b->url.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            api.smbc_getFunctionUnlink(ctx)(ctx, b->url.c_str()) == 0 &&
            rename(ctx, a->url.c_str(), ctx, b->url.c_str()) == 0) {
            return 0;
        }
        error = errno;
    }
    return error;
}

int32_t SmbShares::Delete(const std::string& path) {
    std::optional<Target> t = Resolve(path);
    if (!t) return errno;
    auto lock = t->connection->Lock();
    return SMB_FN(*t, Unlink)(t->connection->Context(), t->url.c_str()) == 0 ? 0 : errno;
}

int32_t SmbShares::DeleteBelow(const std::string& root, std::string_view relative) {
    if (relative.empty()) return EINVAL;
    return Delete(root + "/" + std::string(relative));
}

int32_t SmbShares::CreateFolders(const std::string& path) {
    std::optional<SmbAddress> address = ParseSmbPath(path);
    if (!address) return platform::ERROR_BAD_NET_NAME;
    std::optional<Target> t = Resolve(path);
    if (!t) return errno;
    auto lock = t->connection->Lock();
    SMBCCTX* ctx = t->connection->Context();
    const SmbLibrary& api = t->connection->Api();
    SmbAddress level = *address;
    level.rest.clear();
    size_t pos = 0;
    const std::string& rest = address->rest;
    while (pos < rest.size()) {
        size_t end = rest.find('/', pos);
        if (end == std::string::npos) end = rest.size();
        level = level.Below(std::string_view(rest).substr(pos, end - pos));
        pos = end + 1;
        const std::string url = level.Url();
        if (api.smbc_getFunctionMkdir(ctx)(ctx, url.c_str(), 0755) == 0) continue;
        const int error = errno;
        struct stat st {};
        if (api.smbc_getFunctionStat(ctx)(ctx, url.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        return error;
    }
    return 0;
}

bool SmbShares::CreateFoldersBelow(const std::string& root, std::string_view relative) {
    return CreateFolders(relative.empty() ? root : root + "/" + std::string(relative)) == 0;
}

bool SmbShares::SetTimesAndMode(const std::string& path, int64_t creation, int64_t lastAccess,
                                int64_t lastWrite, uint32_t mode) {
    if (creation == 0) return false;
    std::optional<Target> t = Resolve(path);
    if (!t) return false;
    auto lock = t->connection->Lock();
    SMBCCTX* ctx = t->connection->Context();
    const SmbLibrary& api = t->connection->Api();
    const struct timespec access = ToTimespec(lastAccess);
    const struct timespec write = ToTimespec(lastWrite);
    struct timeval times[2] = {{access.tv_sec, access.tv_nsec / 1000},
                               {write.tv_sec, write.tv_nsec / 1000}};
    bool ok = api.smbc_getFunctionUtimes(ctx)(ctx, t->url.c_str(), times) == 0;
    // A share knows only "read-only" of the permission bits; a writable file (the usual
    // case) needs no request.
    if (ok && platform::IsReadOnlyMode(mode)) {
        ok = api.smbc_getFunctionChmod(ctx)(ctx, t->url.c_str(), static_cast<mode_t>(mode)) == 0;
    }
    return ok;
}

bool SmbShares::SetMode(const std::string& path, uint32_t mode) {
    std::optional<Target> t = Resolve(path);
    if (!t) return false;
    auto lock = t->connection->Lock();
    return SMB_FN(*t, Chmod)(t->connection->Context(), t->url.c_str(), static_cast<mode_t>(mode)) ==
           0;
}

int64_t SmbShares::FreeBytes(const std::string& path) {
    std::optional<Target> t = Resolve(path);
    if (!t) return -1;
    auto lock = t->connection->Lock();
    // Asked before every file: one answer per share serves for a moment (three requests
    // each time would cost a small file more than its copy).
    const auto now = std::chrono::steady_clock::now();
    SmbConnection::FreeSpace& known = t->connection->LastFreeSpace();
    if (known.bytes >= 0 && now - known.askedAt < kFreeSpaceMemory) return known.bytes;
    struct statvfs st {};
    std::string url = t->url;
    if (SMB_FN(*t, StatVFS)(t->connection->Context(), url.data(), &st) != 0) return -1;
    // libsmbclient counts blocks of an allocation unit: f_bsize bytes per sector times
    // f_frsize sectors.
    const uint64_t unit = static_cast<uint64_t>(st.f_bsize) * std::max<uint64_t>(st.f_frsize, 1);
    known.bytes = static_cast<int64_t>(st.f_bavail * unit);
    known.askedAt = now;
    return known.bytes;
}

}  // namespace ferrolin
