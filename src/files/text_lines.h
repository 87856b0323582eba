// Line splitting shared by the experiment and protocol readers.
#pragma once

#include <QByteArray>
#include <QString>

// The line of `data` starting at `pos`: up to the next "\n" (or the end of the data), cut at its first
// NUL byte and decoded as UTF-8. Moves `pos` past the line feed. Callers check pos < data.size() first.
QString take_line(const QByteArray &data, int &pos);
