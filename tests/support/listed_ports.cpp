// Keeping RZ410_EXTRA_PORTS in step with the simulated instruments.
#include "support/listed_ports.h"

#include "support/sim_instrument.h"

#include <QStringList>

void list_ports(const std::vector<sim_instrument *> &sims)
{
    QStringList paths;
    for (const sim_instrument *sim : sims)
        paths << sim->slave_path();
    qputenv("RZ410_EXTRA_PORTS", paths.join(':').toLocal8Bit());
}

void unplug_and_unlist(sim_instrument &sim)
{
    const QString path = sim.slave_path();
    sim.unplug();
    QStringList paths = QString::fromLocal8Bit(qgetenv("RZ410_EXTRA_PORTS")).split(':', Qt::SkipEmptyParts);
    paths.removeAll(path);
    qputenv("RZ410_EXTRA_PORTS", paths.join(':').toLocal8Bit());
}
