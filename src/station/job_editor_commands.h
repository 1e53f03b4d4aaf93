#pragma once
// The job editor's commands: the viewing and editing states, clicks on the job list, the
// Edit, Save and Cancel buttons, the copy-mode rule of the delete delay, the checks of the
// two number fields, and the folder buttons beside the source and destination fields.
// "New" and "Del" live in job_list_commands.h.
#include <cstdint>
#include <optional>
#include <string>

#include "station/station.h"

namespace ferrolin {

// Viewing (false) or editing (true); the face enables its controls after Station::Editing.
void SetEditing(Station& station, bool on);

// A click on list line `index`: that job is selected and read into the editor.
void ClickJobLine(Station& station, int index);
// A double click: the job is read and the editor switches to editing.
void DoubleClickJobLine(Station& station, int index);
// "Edit": the selected job is read again and edited; nothing happens without a selection.
void EditJob(Station& station);
// "Save": the editor goes into the selected job's section (nothing is written without a
// selection) and the editor returns to viewing. When a number field holds a text that is
// not a number, the operator is told so, nothing is written and editing goes on: false.
// Throws ProfileWriteError when the file cannot be written.
bool SaveJob(Station& station);
// "Cancel": back to viewing; the fields keep the unsaved values until a job is read.
void CancelEdit(Station& station);
// "New" with the same check of the number fields as "Save". Throws ProfileWriteError.
bool NewJobFromEditor(Station& station);

// The copy mode chosen in the editor; the delete delay is editable only for
// "Source is master".
void SetEditorCopyMode(Station& station, uint8_t mode);

// What is wrong with the editor's number fields: the byte rate must be a decimal number of
// MByte/s (0 or more, "." or the system's decimal separator), the delete delay a whole
// number of days (0 or more; empty means 0). Nothing when both are fine.
std::optional<std::string> EditorNumbersProblem(const TransferJob& job);

// A folder button: the dialog starts at fieldText when that is an existing folder, else
// at the program folder. A chosen folder that does not exist yet is created after the
// operator confirms. Returns the folder the field takes, or nothing (field unchanged).
std::optional<std::string> PickJobFolder(Station& station, const std::string& fieldText);

}  // namespace ferrolin
