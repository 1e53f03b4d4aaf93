#pragma once
// What the FTP client window shows of the station's FTP session: its rows, host memory,
// download plan and texts.
#include "remote/ftp_texts.h"  // IWYU pragma: export
#include "remote/ftp_window_model.h"  // IWYU pragma: export
