// Storage for the shell's program-wide state.
#include "shell/app_state.h"

namespace app_state {

QString startup_experiment_path;
QString startup_analysis_path;
QString saved_user;
bool user_saved = false;

} // namespace app_state
