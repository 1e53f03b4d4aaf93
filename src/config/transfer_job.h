#pragma once
// One transfer job: one field per key of its "Kopf<N>" section.
#include <cstdint>
#include <string>

namespace ferrolin {

struct TransferJob {
    std::string name;
    bool active = false;     // the job's check mark; not written with the section
    uint8_t sourceType = 0;  // 0 Auto, 1 Windows, 2 Ftp, 3 Http, 4 Mail, 5 Filelist
    std::string source;
    std::string sourceUser;
    std::string sourcePassword;
    bool deleteSource = false;
    std::string compareListFile;
    std::string excludeExtensions;
    std::string destination;
    std::string destinationUser;
    std::string destinationPassword;
    uint8_t buffering = 0;  // 0 Automatic, 1 Disabled, 2 Enabled
    uint8_t copyMode = 0;   // 0 newer or different size, 1 only newer, 2 copy any way,
                            // 3 source is master, 4 create only short cuts
    std::string deleteDelay = "0";
    bool addTimeStamp = false;
    std::string timeStampFormat = "yymmddhhnnss";
    std::string maxByteRate = "0";
    std::string dialUpEntry;
    uint8_t dialUpFor = 0;  // 0 Destination, 1 Source
    bool passiveMode = false;
    bool useTempFile = true;
    uint8_t reportLevel = 0;
    uint8_t subfolders = 0;  // 0 Auto, 1 Include Sub Directories
    bool saveMailHeader = false;
    bool decodeMail = true;
    bool eraseFolderFirst = false;
    bool saveMailBody = false;
    uint8_t timeoutChoice = 0;  // 0 "5 seconds", 1 "30 seconds", 2 "60 seconds"
    std::string sshKeyFile;     // SFTP: private key for key logon; the password is its passphrase

    // The rails of mirroring and of sources still being written.
    bool allowEmptySource = false;  // an empty source listing may empty its mirror
    std::string maxDelete;          // most deletions of one mirror step: "12", "25%"; empty: any
    uint32_t settleSeconds = 0;     // files written more recently wait for a later run

    bool operator==(const TransferJob&) const = default;
};

// The source type choices of a job (its "SourceType" key).
enum SourceTypes : uint8_t {
    ST_Auto = 0,
    ST_Windows = 1,
    ST_Ftp = 2,
    ST_Http = 3,
    ST_Mail = 4,
    ST_Filelist = 5,
};

enum CopyModes : uint8_t {
    CM_NewerOrDifferentSize = 0,
    CM_OnlyNewer = 1,
    CM_CopyAnyWay = 2,
    CM_SourceIsMaster = 3,
    CM_ShortCutsOnly = 4,
};

}  // namespace ferrolin
