// Reading experiment files (".qve", current layout v2.4, older cyclic files marked v2.0/v2.1, and the
// short layout of overwritten files) back into a record.
#pragma once

#include "files/experiment_data.h"
#include "instrument/method_parameters.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// Everything one reading yields: the record, and the values the form's own Open button copies back into
// the method page.
struct experiment_file_contents {
    experiment_data record;      // name and directory are the opener's business and stay empty
    method_index method = method_index::cyclic; // the layout that was read
    bool legacy_layout = false;  // v2.0/v2.1 cyclic file: it fills no form
    QString experiment_name;     // header line 3, for the name box
    method_pages form;           // the form it was read over, with the read method's values the file holds
    bool we1 = false, we2 = false; // the channel boxes: ticked when that electrode has points
    bool cut_short = false;      // the file ends inside a line; a row left without its line feed is no point
};

// Readers stop after this many lines; the record read so far is still finished and kept. The longest run the
// form allows (about 46 million samples on one electrode) writes some 93 million lines, which must all come back.
constexpr int experiment_line_cap = 100000000;

// No line of a well-formed file comes near this many bytes (a row takes some tens, a header line with the longest
// name a few hundred): a longer line means the file is something else, and it is refused as soon as it is seen.
constexpr qint64 experiment_longest_line = 1 << 20;

// Reads an experiment file a part at a time from a device, so that progress can be told and a cancel heard between
// parts; only the blocks under way are held, never the whole file.
class experiment_file_reading {
public:
    // `form` is the method form the file's values are read over (see read_experiment).
    // The rows after the header are read `block_bytes` at a time, several blocks at once on as many threads.
    explicit experiment_file_reading(QIODevice &source, int line_cap = experiment_line_cap,
                                     const method_pages &form = method_pages(), qint64 block_bytes = 4 << 20);
    ~experiment_file_reading();

    // The file's size, told before the first step: the point lists get room for its rows once, instead of
    // copying themselves over and over as they grow.
    void expect_bytes(qint64 bytes);

    // Reads up to `lines` more header lines, or one round of row blocks; false once everything is read.
    bool step(int lines);

    // After step() returned false: the record, or no value when the file holds none (as read_experiment).
    std::optional<experiment_file_contents> result();

    // Reading stopped at a line longer than experiment_longest_line: the file holds no record.
    bool line_too_long() const;

    // Bytes taken from the device so far.
    qint64 bytes_read() const;

private:
    struct state;
    std::unique_ptr<state> d;
    int line_cap;
};

// No value when the file holds no record: fewer than six lines, a method line naming none of the
// seven methods (a file with "\r\n" line ends is such a file), or a line longer than experiment_longest_line. `form` is the method form as it stands: a
// refill from the file changes only the values the file holds (a differential-pulse file has no amplitude).
std::optional<experiment_file_contents> read_experiment(const QByteArray &bytes, int line_cap = experiment_line_cap,
                                                        const method_pages &form = method_pages());

// Reads the file at `path`. On failure `contents` is empty and `error` names the file, for the message
// the opener shows instead of listing an empty record. A file that was cut short is read as far as it is
// whole and `warning` says so.
struct experiment_load {
    std::optional<experiment_file_contents> contents;
    QString error;
    QString warning;
    bool cancelled = false;  // stopped on request: no record, no message
};
// `between_parts`, when given, is called with the fraction of the file read after every part; when it answers
// false the reading stops and the load comes back cancelled. It may run on any thread: it touches no widget.
experiment_load load_experiment_file(const QString &path, const method_pages &form = method_pages(),
                                     const std::function<bool(double)> &between_parts = {});
