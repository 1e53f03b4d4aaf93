#pragma once
// Listing a job's source: the transfer kind, the source-side connection, and the list
// of entries.
#include <string>

#include "engine/source_entry.h"
#include "common/surfaces.h"

namespace ferrolin {

class Station;

struct SourceListing {
    SourceList entries;
    // False when a folder of the source could not be read to its end or the listing
    // was cancelled: the list may lack files that exist.
    bool complete = true;
};

// Decides station.Transfer from the source text and the editor's SourceType, sets the
// connected mark, and lists the source (recursive: "Include Sub Directories"). Folder
// and list-file sources are listed here; FTP, HTTP and mailbox sources list nothing
// yet. A source that cannot be listed gives an empty list.
SourceListing ListSource(Station& station, const std::string& source, bool recursive,
                         Surfaces* panel);

}  // namespace ferrolin
