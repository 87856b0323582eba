// Line splitting shared by the file readers.
#include "files/text_lines.h"

#include <algorithm>
#include <cstring>

QString take_line(const QByteArray &data, int &pos)
{
    int end = data.indexOf('\n', pos);
    if (end < 0)
        end = data.size();
    int stop = pos;
    while (stop < end && data.at(stop) != '\0')
        ++stop;
    const QString line = QString::fromUtf8(data.constData() + pos, stop - pos);
    pos = end + 1;
    return line;
}

byte_lines::byte_lines(QIODevice &device, qint64 longest_line, qint64 block_bytes)
    : device_(device), longest_(longest_line), block_bytes_(size_t(std::max<qint64>(1, block_bytes)))
{
}

std::string_view byte_lines::up_to_nul(const char *from, const char *to)
{
    const void *nul = std::memchr(from, '\0', size_t(to - from));
    return std::string_view(from, size_t((nul ? static_cast<const char *>(nul) : to) - from));
}

byte_lines::result byte_lines::next(std::string_view &line)
{
    for (;;) {
        const char *base = buffer_.data();
        const size_t from = pos_ + scanned_;
        const void *feed = from < end_ ? std::memchr(base + from, '\n', end_ - from) : nullptr;
        if (feed) {
            const char *stop = static_cast<const char *>(feed);
            if (stop - (base + pos_) > longest_)
                return result::too_long;
            line = up_to_nul(base + pos_, stop);
            pos_ = size_t(stop - base) + 1;
            scanned_ = 0;
            return result::line;
        }
        scanned_ = end_ - pos_;
        if (qint64(scanned_) > longest_)
            return result::too_long;
        if (at_end_) {
            if (scanned_ == 0)
                return result::end;
            line = up_to_nul(base + pos_, base + end_);
            pos_ = end_;
            scanned_ = 0;
            cut_ = true;
            return result::line;
        }
        // Only the unfinished line moves to the front; the next block goes after it.
        if (scanned_ > 0)
            std::memmove(buffer_.data(), base + pos_, scanned_);
        end_ = scanned_;
        pos_ = 0;
        // No more room than the device has left: short texts are read often (and in tests by the thousand).
        const qint64 left = device_.isSequential() ? qint64(block_bytes_) : device_.size() - device_.pos();
        const size_t want = size_t(std::max<qint64>(1, std::min(qint64(block_bytes_), left)));
        if (buffer_.size() < end_ + want)
            buffer_.resize(end_ + want);
        const qint64 got = device_.read(buffer_.data() + end_, qint64(want));
        if (got <= 0)
            at_end_ = true;
        else
            end_ += size_t(got);
    }
}

QByteArray byte_lines::take_buffered()
{
    const QByteArray rest(buffer_.data() + pos_, int(end_ - pos_));
    pos_ = end_ = scanned_ = 0;
    return rest;
}

line_fields::line_fields(std::string_view line)
{
    size_t from = 0;
    for (;;) {
        const size_t tab = line.find('\t', from);
        const std::string_view field = line.substr(from, tab == std::string_view::npos ? line.npos : tab - from);
        if (count < kept)
            first[count] = field;
        ++count;
        if (tab == std::string_view::npos) {
            last = field;
            return;
        }
        from = tab + 1;
        if (count == kept) {
            // The rest is only counted: a line of millions of tabs must not become millions of fields.
            const std::string_view rest = line.substr(from);
            count += 1 + int(std::count(rest.begin(), rest.end(), '\t'));
            last = line.substr(line.rfind('\t') + 1);
            return;
        }
    }
}
