// Device table operations.
#include "instrument/device_table.h"

bool device_table::add(uint8_t id, const QString &port)
{
    if (full())
        return false;
    device_ids[device_count] = id;
    port_names[device_count] = port;
    ++device_count;
    return true;
}

int device_table::index_of_port(const QString &port) const
{
    for (int i = 0; i < device_count; ++i) {
        if (port_names[i] == port)
            return i;
    }
    return -1;
}

void device_table::remove(int j)
{
    if (j < 0 || j >= device_count)
        return;
    for (int i = j; i + 1 < device_count; ++i) {
        device_ids[i] = device_ids[i + 1];
        port_names[i] = port_names[i + 1];
    }
    --device_count;
    device_ids[device_count] = 0;
    port_names[device_count].clear();
}

int device_table::first_missing(const QStringList &present) const
{
    for (int i = 0; i < device_count; ++i) {
        if (!present.contains(port_names[i]))
            return i;
    }
    return -1;
}

void device_table::clear()
{
    device_ids.fill(0);
    for (QString &name : port_names)
        name.clear();
    device_count = 0;
}

QString first_unknown_port(const device_table &table, const QStringList &candidates)
{
    for (const QString &port : candidates) {
        if (table.index_of_port(port) < 0)
            return port;
    }
    return QString();
}
