#include "engine/transfer_kinds.h"

#include "engine/folder_kind.h"
#include "engine/ftp_kind.h"
#include "engine/ftp_steps.h"
#include "engine/http_kind.h"
#include "engine/mail_kind.h"

namespace ferrolin {

const TransferKind& TransferKindOf(TTransfer kind) {
    static constexpr TransferKind kFolder{ListFolderSource, TransferToFolder};
    static constexpr TransferKind kFileList{ListFileListSource, TransferToFolder};
    static constexpr TransferKind kHttp{ListHttpSource, DownloadHttp};
    static constexpr TransferKind kMail{ListMailSource, ReceiveMail};
    static constexpr TransferKind kFtpDownload{ListFtpSource, TransferFromFtp, EndFtpWork};
    static constexpr TransferKind kFtpUpload{ListFolderSource, TransferToFtp};
    switch (kind) {
        case Tran_FileList:
            return kFileList;
        case Tran_FTPS:
            return kFtpUpload;
        case Tran_FTPR:
            return kFtpDownload;
        case Tran_HTTP:
            return kHttp;
        case Tran_Pop3S:
        case Tran_Pop3R:
            return kMail;
        case Tran_None:
        case Tran_Windows:
            break;
    }
    return kFolder;
}

}  // namespace ferrolin
