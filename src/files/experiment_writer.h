// Experiment files (".qve", and the same text as ".xls"): building the text and writing it safely.
#pragma once

#include "files/experiment_data.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

// What the file records about its writing besides the experiment: the moment of writing (header line 2)
// and the user logged in at the time (header line 4).
struct export_stamp {
    QDateTime when;
    QString user;
};

// The whole experiment file of the record's method, UTF-8 with "\n" line ends. No value when the record's
// method is none of the seven names: such a record has no file layout.
std::optional<QByteArray> write_experiment(const experiment_data &record, const export_stamp &stamp);

struct save_result {
    bool ok = false;
    QString error; // why it failed, for the message box
};

// Replaces `path` with `bytes` in one step: the old file stays as it was unless the whole new text is
// on disk. A failed write is reported, never taken for success.
save_result save_text_atomically(const QString &path, const QByteArray &bytes);

// write_experiment, then save_text_atomically. The caller marks the record saved (or, for the
// autosave copy, unsaved) only when this succeeds.
save_result save_experiment_file(const QString &path, const experiment_data &record, const export_stamp &stamp);
