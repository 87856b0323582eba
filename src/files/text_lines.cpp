// Line splitting shared by the file readers.
#include "files/text_lines.h"

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
