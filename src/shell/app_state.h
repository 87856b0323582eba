// Program-wide state of the shell: the document named on the command line and the remembered user.
// Kept here in one place; main and the log-in page write it, the run and analysis screens only read it.
#pragma once

#include <QString>

namespace app_state {

// The command-line document when it ends ".qve" (an experiment), else empty. Set once by main.
extern QString startup_experiment_path;
// The command-line document when it ends ".qva" (an analysis), else empty. Set once by main.
extern QString startup_analysis_path;

// The user named by the settings file, valid when `user_saved` is true. Reset at every read.
extern QString saved_user;
extern bool user_saved;

} // namespace app_state
