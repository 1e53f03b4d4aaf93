#include <gtest/gtest.h>

#include "engine/file_mask.h"
#include "engine/transfer_kinds.h"

namespace ferrolin {
namespace {

// The source decides first; only a source of files here or on a share is handed to the
// kind its destination names. The names are the run record's.
TEST(TransferKind, SourceAndDestinationTextsChooseTheKind) {
    struct Case {
        std::string source;
        uint8_t type;
        std::string destination;
        std::string_view expected;
    } cases[] = {
        {"/data/out", ST_Auto, "/in", "folder"},
        {"/data/out/*.mpg", ST_Windows, "//server/share/in", "folder"},
        {"ftp://host/in", ST_Windows, "/in", "ftp download"},  // an address stays an address
        {"FTP://host/in", ST_Auto, "/in", "ftp download"},
        {"sftp://host/in", ST_Auto, "/in", "sftp download"},  // not taken for its "ftp:"
        {"FTPS://host:990/in", ST_Windows, "/in", "ftps download"},
        {"ftpes://host/in", ST_Ftp, "/in", "ftps download"},
        {"/data/ftps/in", ST_Auto, "/in", "folder"},  // a scheme counts only at the start
        {"/data/out", ST_Ftp, "/in", "ftp download"},
        {"ftp://host/in", ST_Auto, "ftp://other/in", "ftp download"},  // delivers itself
        {"http://host/x", ST_Ftp, "/in/x", "http"},
        {"https://host/x", ST_Auto, "/in", "folder"},  // not recognised as HTTP
        {"/data", ST_Http, "/in/x", "http"},
        {"pop.example.com", ST_Auto, "/in", "mail"},
        {"POP3host", ST_Auto, "/in", "mail"},
        {"mailhost", ST_Auto, "/in", "mail"},
        {"/mail/out", ST_Auto, "/in", "mail"},
        {"/data/pop", ST_Auto, "/in", "folder"},     // "pop" only counts in the first 7 characters
        {"/mail/out", ST_Windows, "/in", "folder"},  // the operator said it is a folder
        {"/pop3files", ST_Windows, "/in", "folder"},
        {"anything", ST_Mail, "ftp://host/in", "mail"},
        {"/mail/list.txt", ST_Filelist, "/in", "list file"},
        {"ftp://host/list.txt", ST_Filelist, "/in", "list file"},
        {"/data/out", ST_Auto, "FTP://host/in", "ftp upload"},
        {"/mail/list.txt", ST_Filelist, "ftp://host/in", "ftp upload"},
        {"/data/out", ST_Auto, "SFTP://host/in", "sftp upload"},
        {"/data/out", ST_Auto, "ftpes://host/in", "ftps upload"},
        {"/data/out", ST_Auto, "ftps://host/in", "ftps upload"},
    };
    for (const Case& c : cases) {
        const TransferKind kind = ChooseTransferKind(c.source, c.type, c.destination);
        EXPECT_EQ(kind.Name(), c.expected)
            << c.source << " type " << int(c.type) << " to " << c.destination;
        // Every job has a source row and exactly one way to transfer its entries.
        ASSERT_NE(kind.source, nullptr);
        EXPECT_NE(kind.Transfer(), nullptr);
        EXPECT_EQ(kind.destination == nullptr, kind.source->transfer != nullptr);
    }
}

TEST(FileMask, WildcardsIgnoreLetterCase) {
    struct Case {
        std::string name, mask;
        bool expected;
    } cases[] = {
        {"a.mpg", "*.mpg", true},
        {"A.MPG", "*.mpg", true},
        {"a.mpg.tmp", "*.mpg", false},
        {"a.b.mpg", "*.mpg", true},
        {"README", "*.*", true},
        {"README", "*", true},
        {"Spot12.mpg", "spot??.*", true},
        {"Spot1.mpg", "spot??.*", false},
        {"x", "x.*", true},
        {"abc", "a*c", true},
        {"ac", "a*c", true},
        {"ab", "a*c", false},
        {"-dash.txt", "-*", true},
        {"", "*.mpg", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFileMask(c.name, c.mask), c.expected) << c.name << " ~ " << c.mask;
}

}  // namespace
}  // namespace ferrolin
