// Saving the plot as an image: format from the settings file, proposed path, and a write that never
// leaves a half-written file in place of an earlier image.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace plot_image {

enum class format { png, jpeg };

// PNG only when line 10 is exactly "0"; any other text, " 0" and "0 " included, means JPEG.
// Unreadable settings or a file without line 10 give PNG.
format format_from_settings(const std::optional<QStringList> &lines);

// "Data/User/<user>/Plots/<name>.png" or ".jpg", relative to the working directory.
QString default_path(const QString &user, const QString &experiment_name, format f);

// The save dialog's filter for the format.
QString dialog_filter(format f);
QString dialog_caption();

struct write_result {
    bool ok = false;
    QString title;  // for the message box when !ok
    QString text;
};

// Writes the image through `writer`, which is handed a temporary file in the target's folder and reports
// whether it wrote the image there. Only on success does the temporary file replace `target`; otherwise
// the temporary file is removed and any earlier file at `target` is left as it was.
write_result write_replacing(const QString &target, const std::function<bool(const QString &temp_path)> &writer);

}  // namespace plot_image
