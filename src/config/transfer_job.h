#pragma once
// One transfer job: one field per key of its "Kopf<N>" section.
#include <cstdint>
#include <string>

namespace ferrolin {

struct TransferJob {
    std::string Name;
    bool Active = false;     // the job's check mark; not written with the section
    uint8_t SourceType = 0;  // 0 Auto, 1 Windows, 2 Ftp, 3 Http, 4 Mail, 5 Filelist
    std::string SendeVerzeichnis;
    std::string SourceLName;
    std::string SourceLPassword;
    bool SourceDelete = false;
    std::string CLFile;
    std::string ExcludeExtensions;
    std::string EmpfangsVerzeichnis;
    std::string DestLName;
    std::string DestLPassword;
    uint8_t Buffering = 0;  // 0 Automatic, 1 Disabled, 2 Enabled
    uint8_t CopyMode = 0;   // 0 newer or different size, 1 only newer, 2 copy any way,
                            // 3 source is master, 4 create only short cuts
    std::string DestDelDelay = "0";
    bool AddTimeStampC = false;
    std::string AddTimeStampE = "yymmddhhnnss";
    std::string MaxByteRate = "0";
    std::string DRasEintrag;
    uint8_t UseRasFor = 0;  // 0 Destination, 1 Source
    bool PassiveMode = false;
    bool UseTempFile = true;
    uint8_t ReportLevel = 0;
    uint8_t ParsingType = 0;  // 0 Auto, 1 Include Sub Directories
    bool EMailSaveHeader = false;
    bool EmailDecodeMessage = true;
    bool EmailEraseFirst = false;
    bool EMailSaveBody = false;
    uint8_t Modemspeed = 0;  // 0 "5 seconds", 1 "30 seconds", 2 "60 seconds"

    // The rails of mirroring and of sources still being written.
    bool allowEmptySource = false;  // an empty source listing may empty its mirror
    std::string maxDelete;          // most deletions of one mirror step: "12", "25%"; empty: any
    uint32_t settleSeconds = 0;     // files written more recently wait for a later run

    bool operator==(const TransferJob&) const = default;
};

enum CopyModes : uint8_t {
    CM_NewerOrDifferentSize = 0,
    CM_OnlyNewer = 1,
    CM_CopyAnyWay = 2,
    CM_SourceIsMaster = 3,
    CM_ShortCutsOnly = 4,
};

}  // namespace ferrolin
