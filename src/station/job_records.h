#pragma once
// The records the faces show and edit: a job (TransferJob) and the program's options
// (GlobalOptions).
#include "config/global_options.h"  // IWYU pragma: export
#include "config/transfer_job.h"  // IWYU pragma: export
