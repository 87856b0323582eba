// Names and paths of analysis and analysis-protocol files: the rules the Save, quick save, open, drop and
// protocol commands share. Rules already kept for experiment files are used as they are:
//   file_base_name(path)           base name up to the first "." (Save, open action, protocol name box);
//   with_extension(path, ".qva")   the dialog's answer with the extension added when missing (Save; ".qvr"
//                                  for Save Analysis Protocol);
//   unique_list_name(base, rows)   the open action's list name: a, a_1, a_2 ... the first free;
//   last_row_named(rows, name)     quick save by the name box: no row of that name means no save;
//   protocol_name_from_path(path)  the protocol name box after saving or loading a ".qvr";
//   plot_image::format_from_settings(settings_file::read_lines()), plot_image::default_path(user, row text,
//   format) and plot_image::write_replacing(target, writer)   the Image button (read-only settings, PNG when
//                                  line 10 is missing, the image moved into place only when written).
#pragma once

#include <QString>

// Save, open action: the folder of `path` with its separator, for the next dialog and the analysis's folder
// ("C:/x/a.b.qva" gives "C:/x/"). A bare file name gives an empty text.
QString analysis_folder(const QString &path);

// Save: the file the dialog offers, `folder` joined to `name` by one separator (an empty folder offers the
// bare name).
QString analysis_save_proposal(const QString &folder, const QString &list_name);

// Quick save: "Data/User/<user>/Analysis/<name>.qva", the only place it writes without asking.
QString user_analysis_path(const QString &user, const QString &name);

// Save and Load Analysis Protocol: "Data/User/<user>/Protocols/<name>.qvr".
QString user_analysis_protocol_path(const QString &user, const QString &protocol_name);

// Dropped files: only names ending exactly ".qva" are opened (".QVA" and other files are not).
bool is_droppable_analysis(const QString &path);
