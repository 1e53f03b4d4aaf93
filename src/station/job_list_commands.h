#pragma once
// The job list's "New" and "Del" commands.
#include "station/station.h"

namespace ferrolin {

// "New": the editor's contents become a new last job section, the job count grows by
// one, and the whole configuration is read again (so unsaved check marks and options
// take the file's values). False, with a line on the "Errors" list, when the list
// already holds the most jobs the count can express. Throws ProfileWriteError.
bool NewJob(Station& station);

// "Del" of job d: asks "Are you sure to delete <name> ?" (Yes/No/Cancel, "Warning");
// on Yes every later job moves up one section through the editor, the last section and
// list line go, the count shrinks, and line d (or the new last line) is selected and
// read. The file is replaced once: a refused write leaves file, list and editor as they
// were (and throws ProfileWriteError). False when nothing was deleted.
bool DeleteJob(Station& station, int d);

}  // namespace ferrolin
