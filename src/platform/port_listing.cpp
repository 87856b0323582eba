// Port listing over QSerialPortInfo, with the extra ports named in the environment.
#include "platform/port_listing.h"

#include <QFileInfo>
#include <QSerialPortInfo>

namespace platform {

bool is_bridge_port(const serial_port_entry &port)
{
    return port.has_ids && port.vendor_id == bridge_vendor_id && port.product_id == bridge_product_id;
}

QStringList bridge_port_names(const std::vector<serial_port_entry> &ports)
{
    QStringList names;
    for (const serial_port_entry &port : ports) {
        if (is_bridge_port(port) && !port.name.isEmpty())
            names << port.name;
    }
    return names;
}

QStringList port_names(const std::vector<serial_port_entry> &ports)
{
    QStringList names;
    for (const serial_port_entry &port : ports) {
        if (!port.name.isEmpty())
            names << port.name;
    }
    return names;
}

QStringList parse_extra_ports(const QString &value)
{
    QStringList paths;
    for (const QString &item : value.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString path = item.trimmed();
        if (!path.isEmpty() && !paths.contains(path))
            paths << path;
    }
    return paths;
}

void append_extra_ports(std::vector<serial_port_entry> &ports, const QStringList &extra_paths)
{
    for (const QString &path : extra_paths) {
        bool listed = false;
        for (const serial_port_entry &port : ports)
            listed = listed || port.name == path;
        if (!listed)
            ports.push_back({path, true, bridge_vendor_id, bridge_product_id});
    }
}

std::vector<serial_port_entry> system_port_lister::ports() const
{
    std::vector<serial_port_entry> list;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        serial_port_entry entry;
        entry.name = info.portName();
        entry.has_ids = info.hasVendorIdentifier() && info.hasProductIdentifier();
        entry.vendor_id = info.vendorIdentifier();
        entry.product_id = info.productIdentifier();
        list.push_back(entry);
    }
    // An extra path counts as plugged in only while its device node exists, so that
    // closing a simulated instrument looks like pulling its cable.
    QStringList present;
    for (const QString &path : parse_extra_ports(qEnvironmentVariable("RZ410_EXTRA_PORTS"))) {
        if (QFileInfo::exists(path))
            present << path;
    }
    append_extra_ports(list, present);
    return list;
}

}  // namespace platform
