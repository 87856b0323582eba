// Device-change watcher: a plain poll, which also sees the extra ports of the environment.
#include "platform/device_watcher.h"

namespace platform {

device_watcher::device_watcher(const port_lister &lister_, int interval_ms, QObject *parent)
    : QObject(parent), lister(lister_)
{
    timer.setInterval(interval_ms);
    connect(&timer, &QTimer::timeout, this, &device_watcher::poll);
}

void device_watcher::start()
{
    if (!primed)
        poll();
    timer.start();
}

void device_watcher::start_from(const QStringList &names)
{
    known = names;
    primed = true;
    timer.start();
}

void device_watcher::stop() { timer.stop(); }

void device_watcher::forget(const QString &name) { known.removeAll(name); }

void device_watcher::poll()
{
    const QStringList now = port_names(lister.ports());
    if (!primed) {
        known = now;
        primed = true;
        return;
    }
    QStringList gone, added;
    for (const QString &name : known) {
        if (!now.contains(name))
            gone << name;
    }
    for (const QString &name : now) {
        if (!known.contains(name))
            added << name;
    }
    known = now;
    // Removal first: a cable moved between two sockets must not look like a second instrument.
    if (!gone.isEmpty())
        emit ports_removed(gone);
    if (!added.isEmpty())
        emit ports_arrived(added);
}

}  // namespace platform
