#include "engine/transfer_kind.h"

#include <string>

#include "common/text.h"
#include "protocols/ftp_scheme.h"

namespace ferrolin {

TTransfer DecideTransferKind(std::string_view source, uint8_t sourceType) {
    const std::string lower = AsciiLower(source);
    TTransfer kind = Tran_Windows;
    if (NamesFtpServer(source) || sourceType == ST_Ftp) kind = Tran_FTPR;
    if (lower.find("http:") != std::string::npos || sourceType == ST_Http) kind = Tran_HTTP;
    const bool guessMail = sourceType == ST_Auto;
    if ((guessMail && lower.substr(0, 7).find("pop") != std::string::npos) ||
        sourceType == ST_Mail)
        kind = Tran_Pop3R;
    if (guessMail && lower.substr(0, 8).find("mail") != std::string::npos) kind = Tran_Pop3R;
    if (sourceType == ST_Filelist) kind = Tran_FileList;
    return kind;
}

}  // namespace ferrolin
