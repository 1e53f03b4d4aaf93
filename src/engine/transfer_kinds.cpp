#include "engine/transfer_kinds.h"

#include "engine/folder_kind.h"
#include "engine/ftp_kind.h"
#include "engine/unavailable_kind.h"

namespace ferrolin {

const TransferKind& TransferKindOf(TTransfer kind) {
    static constexpr TransferKind kFolder{ListFolderSource, TransferToFolder};
    static constexpr TransferKind kFileList{ListFileListSource, TransferToFolder};
    static constexpr TransferKind kUnavailable{ListUnavailableSource, TransferUnavailable};
    static constexpr TransferKind kFtpDownload{ListFtpSource, TransferFromFtp};
    static constexpr TransferKind kFtpUpload{ListFolderSource, TransferToFtp};
    switch (kind) {
        case Tran_FileList:
            return kFileList;
        case Tran_FTPS:
            return kFtpUpload;
        case Tran_FTPR:
            return kFtpDownload;
        case Tran_HTTP:
        case Tran_Pop3S:
        case Tran_Pop3R:
            return kUnavailable;
        case Tran_None:
        case Tran_Windows:
            break;
    }
    return kFolder;
}

const char* TransferKindName(TTransfer kind) {
    switch (kind) {
        case Tran_FTPR:
            return "FTP download";
        case Tran_FTPS:
            return "FTP upload";
        case Tran_HTTP:
            return "HTTP";
        case Tran_Pop3S:
        case Tran_Pop3R:
            return "Mail";
        case Tran_None:
        case Tran_Windows:
        case Tran_FileList:
            break;
    }
    return "";
}

}  // namespace ferrolin
