#include "engine/transfer_kind.h"

#include <gtest/gtest.h>

#include "engine/file_mask.h"

namespace ferrolin {
namespace {

TEST(TransferKind, RulesInOrderLaterOnesWin) {
    struct Case {
        std::string source;
        uint8_t type;
        TTransfer expected;
    } cases[] = {
        {"/data/out", ST_Auto, Tran_Windows},
        {"/data/out/*.mpg", ST_Windows, Tran_Windows},
        {"ftp://host/in", ST_Windows, Tran_FTPR},  // an address stays an address
        {"FTP://host/in", ST_Auto, Tran_FTPR},
        {"sftp://host/in", ST_Auto, Tran_FTPR},
        {"FTPS://host:990/in", ST_Windows, Tran_FTPR},
        {"ftpes://host/in", ST_Auto, Tran_FTPR},
        {"/data/ftps/in", ST_Auto, Tran_Windows},  // a scheme counts only at the start
        {"/data/out", ST_Ftp, Tran_FTPR},
        {"http://host/x", ST_Ftp, Tran_HTTP},
        {"https://host/x", ST_Auto, Tran_Windows},  // not recognised as HTTP
        {"/data", ST_Http, Tran_HTTP},
        {"pop.example.com", ST_Auto, Tran_Pop3R},
        {"POP3host", ST_Auto, Tran_Pop3R},
        {"mailhost", ST_Auto, Tran_Pop3R},
        {"/mail/out", ST_Auto, Tran_Pop3R},
        {"/data/pop", ST_Auto, Tran_Windows},  // "pop" only counts in the first 7 characters
        {"/mail/out", ST_Windows, Tran_Windows},  // the operator said it is a folder
        {"/pop3files", ST_Windows, Tran_Windows},
        {"anything", ST_Mail, Tran_Pop3R},
        {"/mail/list.txt", ST_Filelist, Tran_FileList},
        {"ftp://host/list.txt", ST_Filelist, Tran_FileList},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideTransferKind(c.source, c.type), c.expected)
            << c.source << " type " << int(c.type);
}

TEST(FileMask, WildcardsIgnoreLetterCase) {
    struct Case {
        std::string name, mask;
        bool expected;
    } cases[] = {
        {"a.mpg", "*.mpg", true},      {"A.MPG", "*.mpg", true},    {"a.mpg.tmp", "*.mpg", false},
        {"a.b.mpg", "*.mpg", true},    {"README", "*.*", true},     {"README", "*", true},
        {"Spot12.mpg", "spot??.*", true}, {"Spot1.mpg", "spot??.*", false}, {"x", "x.*", true},
        {"abc", "a*c", true},          {"ac", "a*c", true},         {"ab", "a*c", false},
        {"-dash.txt", "-*", true},     {"", "*.mpg", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.expected) << c.name << " ~ " << c.mask;
}

}  // namespace
}  // namespace ferrolin
