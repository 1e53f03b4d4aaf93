#pragma once
// Reading and writing Ferrolin.INI for the station: the global options, the job list
// with its check marks, and the job editor (one job at a time).
//
// Writes throw ProfileWriteError ("Unable to write to <file>") when the file system
// refuses; the command stops there and the caller (a face) shows the message. Reads
// never fail: what is missing takes its default.
#include <string>

#include "config/profile_file.h"
#include "station/station.h"

namespace ferrolin {

// Global options, the job count, and every job's name and check mark, in list order.
// The first job's source folder becomes SpecialScanFolder. Pending window messages are
// processed after each job. Clears the selection. A file that exists but cannot be read
// is reported on the "Errors" list and the defaults are used.
void ReadConfig(Station& station);

// Global options, each job's check mark as "Active", and the time synchronisation
// section. The job count and the job sections are left as they are.
void SaveConfig(Station& station);

// Section Kopf<n> into the editor (see ReadJobSection for the rules). Also chooses the
// editor's "Ras" item: RasIndex is the index of DRasEintrag in RasEntries (ignoring
// case), or -1, and Editor.dialUpEntry becomes the text the list then shows (the item,
// or "Not found"). EditorDelayEnabled is set for "Source is master" only.
void ReadJob(Station& station, int n);

// The editor into section Kopf<n> (every key but Active; DRasEintrag as the "Ras" list
// shows it, or the name the job had stored while no item is chosen). When n is a line of the job list, that line takes the editor's name.
void WriteJob(Station& station, int n);

// Removes line n of the job list and section Kopf<n>, and stores the new job count.
void RemoveJobSection(Station& station, int n);

// The same operations on an open file, so a command can gather them into one
// ProfileFile::Batch and replace the file once.
void ReadJob(Station& station, ProfileFile& ini, int n);
void WriteJob(Station& station, ProfileFile& ini, int n);
void RemoveJobSection(Station& station, ProfileFile& ini, int n);

// What the editor's "Ras" list shows: the chosen item, or "Not found" when none is.
std::string RasShownText(const Station& station);

}  // namespace ferrolin
