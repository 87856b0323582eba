// Line splitting shared by the experiment and protocol readers.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <string_view>
#include <vector>

// The line of `data` starting at `pos`: up to the next "\n" (or the end of the data), cut at its first
// NUL byte and decoded as UTF-8. Moves `pos` past the line feed. Callers check pos < data.size() first.
QString take_line(const QByteArray &data, int &pos);

// Splits a device's text into lines at "\n", a block at a time, without copying a line: each line is a view into
// the block, valid until the next call. A line ends at its first NUL byte. A last line without its line feed
// still counts; nothing after the final "\n" does. Every byte is looked at once, however long the line.
class byte_lines {
public:
    enum class result { line, end, too_long };

    // A line longer than `longest_line` bytes is not read: next() says too_long as soon as it sees one. The device
    // is read `block_bytes` at a time.
    byte_lines(QIODevice &device, qint64 longest_line, qint64 block_bytes = 4 << 20);

    result next(std::string_view &line);

    // The line just read had no line feed: the writers end every line with one, so the text was cut there.
    bool cut_short() const { return cut_; }

    // Hands over what has been taken from the device but not yet as lines, for a reader that goes on by itself.
    QByteArray take_buffered();

private:
    static std::string_view up_to_nul(const char *from, const char *to);

    QIODevice &device_;
    qint64 longest_;
    size_t block_bytes_;
    std::vector<char> buffer_;
    size_t pos_ = 0;      // start of the next line
    size_t scanned_ = 0;  // bytes from pos_ on already known to hold no line feed
    size_t end_ = 0;      // bytes of the buffer in use
    bool at_end_ = false;
    bool cut_ = false;
};

// The tab-separated fields of one line, as views into it: the first few, the last and their count.
struct line_fields {
    static constexpr int kept = 4;
    std::string_view first[kept];
    std::string_view last;
    int count = 0;

    explicit line_fields(std::string_view line);
    // Field i, or empty when the line has fewer fields.
    std::string_view at(int i) const { return i < count && i < kept ? first[i] : std::string_view(); }
};
