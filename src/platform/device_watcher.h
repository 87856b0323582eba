// Notices serial ports appearing and disappearing by polling the port list once a second.
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include "platform/port_listing.h"

namespace platform {

class device_watcher : public QObject {
    Q_OBJECT
public:
    static constexpr int poll_interval_ms = 1000;

    // `lister` must outlive the watcher. The first poll only records what is present.
    explicit device_watcher(const port_lister &lister, int interval_ms = poll_interval_ms,
                            QObject *parent = nullptr);

    void start();
    // Starts with `names` as the previous list in place of a first look: what differs from it (a port that came
    // or went while the caller was busy with that list) is reported at the first poll.
    void start_from(const QStringList &names);
    void stop();
    // Takes `name` off the previous list, so that the next poll finding it reports an arrival: the name of a port
    // whose line hung up may be back, with another device behind it, before any poll could see it go.
    void forget(const QString &name);
    // One comparison with the previous list; the timer calls this, tests may too.
    void poll();

signals:
    // Ports that were not there at the previous poll (all kinds, in list order).
    void ports_arrived(const QStringList &names);
    // Ports that were there at the previous poll and are gone now.
    void ports_removed(const QStringList &names);

private:
    const port_lister &lister;
    QTimer timer;
    QStringList known;
    bool primed = false;
};

}  // namespace platform
