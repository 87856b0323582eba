// Names and paths of experiment and protocol files: the rules the open, save and drop commands share.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The file's base name: its name without folder, up to the first dot ("a.b.qve" gives "a").
QString file_base_name(const QString &path);

// The folder that holds the file, remembered as the next dialog's start folder.
QString remembered_folder(const QString &path);

// `path` with `extension` (".qve", ".qvp", ".xls") added unless it already ends so, in any letter case.
// An empty path (a cancelled dialog) stays empty.
QString with_extension(const QString &path, const QString &extension);

// Only names ending exactly ".qve" are opened when dropped; ".QVE" and other files are ignored.
bool is_droppable_experiment(const QString &path);

// The name an opened file takes in the experiment list: its base name, or base + "_" + n with the
// smallest n from 1 up that no row holds (names compared case-sensitively).
QString unique_list_name(const QString &base, const QStringList &row_names);

// The last row whose text is `name` exactly; none when no row has it.
std::optional<int> last_row_named(const QStringList &row_names, const QString &name);

// Where a save command points first.
QString user_experiment_path(const QString &user, const QString &name); // Data/User/<user>/Experiments/<name>.qve
QString user_protocol_path(const QString &user, const QString &protocol_name); // Data/User/<user>/Protocols/<name>.qvp
QString export_proposal(const QString &name); // Data/User/<name>.xls
QString save_proposal(const QString &folder, const QString &name); // <folder>/<name>.qve

// The protocol name box's text after saving or loading `path`: the base name, at most 64 characters.
QString protocol_name_from_path(const QString &path);

// Save's proposed name by `save_mode`: 10 the name box's text, 1 the selected record's name (and the
// mode returns to 0), anything else the current row's name. The record saved is the one whose name is
// proposed: the selected record for mode 1, the current row's record otherwise.
struct save_name_choice {
    QString name;
    int next_save_mode = 0;
    bool selected_record = false;  // write the selected record, not the current row's
};
save_name_choice proposed_save_name(int save_mode, const QString &name_box_text, const QString &selected_name,
                                    const QString &current_row_name);

// The autosave copy of a finished run: "<temp_folder>/yyyyMMdd_HHmmss.qve".
QString autosave_path(const QDateTime &when, const QString &temp_folder = QStringLiteral("Data/Temp"));

// The same path with its folder created when missing (a fresh install has none), made unique with "_2",
// "_3"... when a file of that name is already there. No value when the folder cannot be made.
std::optional<QString> prepare_autosave_path(const QDateTime &when,
                                             const QString &temp_folder = QStringLiteral("Data/Temp"));

// The file a save writes to. `ask_path` shows the save dialog starting at its argument and returns the path
// chosen (empty: cancelled); `extension` is then added. When that names another file than the dialog returned
// and the file exists, `confirm_replace` asks; a No goes back to the dialog, at the name typed. Empty only
// when the dialog is cancelled.
QString choose_save_target(const QString &proposal, const QString &extension,
                           const std::function<QString(const QString &start)> &ask_path,
                           const std::function<bool(const QString &path)> &confirm_replace);
