#pragma once
// The copier's state for one station: the status record the gauge and the log read, the
// stop request, the running copy worker, where the file services write their own logs,
// which folders lie on local disks, and which file system serves a path. A station owns
// one; two stations in one process never see each other's copies.
//
// Threads: the copier and its callers use it on the user-interface thread; the copy
// worker reads the token and writes the worker fields, which are atomics.
#include <atomic>
#include <string>

#include "common/cancel_token.h"
#include "files/copy_status.h"
#include "files/local_disk.h"
#include "platform/file_systems.h"

namespace ferrolin {

class CopyWorker;

struct CopyContext {
    CopyStatus Status;
    CancelToken Cancel;
    // True when the worker's copy succeeded and was not cancelled.
    std::atomic<bool> ThreadDone{false};
    // The running worker, or null. The copier sets it before starting the worker and
    // clears it before releasing it.
    std::atomic<CopyWorker*> ActiveThread{nullptr};
    // "FileCopy.log" and "Metadata.log" go here: the program folder.
    std::string LogFolder;
    // Which folders lie on local disks, remembered for a moment (user-interface thread).
    LocalDiskMemo LocalDisks;
    // Which file system serves a path: local disks, and the share client when the
    // station handed one in.
    platform::FileSystems Files;

    std::string FileCopyLogPath() const;
    std::string MetadataLogPath() const;
};

}  // namespace ferrolin
