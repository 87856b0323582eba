// A name for a pseudo-terminal that no other test program knows: a symlink in a folder of this process's own.
// The system gives a closed terminal's number to the next terminal opened, in any process; a program still
// listing /dev/pts/N (a port watch probing what seems to have come back) would then write into another test's
// instrument, whose replies land on that test's port. A link name is never given out twice, and it goes away
// with its terminal, so a stale listing finds nothing.
#pragma once

#include <QString>

class private_terminal {
public:
    // Links a fresh name to `device`; path() is empty when the link could not be made.
    explicit private_terminal(const QString &device);
    ~private_terminal() { remove(); }
    private_terminal(const private_terminal &) = delete;
    private_terminal &operator=(const private_terminal &) = delete;

    QString path() const { return link; }
    // The name disappears, as a device node does when its cable is pulled; path() still tells what it was.
    void remove();
    // The same name now leads to `device`, as a port's name does when another instrument is plugged in there.
    void point_to(const QString &device);

private:
    QString link;
    bool linked = false;
};
