// Serial ports with their USB ids, and which of them are the instrument's USB-serial bridge.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace platform {

// The instrument's USB-serial bridge chip reports these ids.
constexpr uint16_t bridge_vendor_id = 0x0403;
constexpr uint16_t bridge_product_id = 0x6001;

struct serial_port_entry {
    QString name;          // what QSerialPort::setPortName accepts
    bool has_ids = false;  // a port without USB ids (a built-in UART) is never a bridge
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
};

bool is_bridge_port(const serial_port_entry &port);

// Names of the bridge ports in list order, skipping empty names.
QStringList bridge_port_names(const std::vector<serial_port_entry> &ports);
// Names of all ports in list order, skipping empty names.
QStringList port_names(const std::vector<serial_port_entry> &ports);

// Splits a colon-separated list of device paths; empty items are dropped.
QStringList parse_extra_ports(const QString &value);

// Adds each extra path as a bridge port unless the list already holds it.
void append_extra_ports(std::vector<serial_port_entry> &ports, const QStringList &extra_paths);

// One source of port lists, so discovery can be driven by the system or by a test.
class port_lister {
public:
    virtual ~port_lister() = default;
    virtual std::vector<serial_port_entry> ports() const = 0;
};

// The system's serial ports, plus every existing path named in RZ410_EXTRA_PORTS
// (simulated instruments on pseudo-terminals present themselves that way).
class system_port_lister : public port_lister {
public:
    std::vector<serial_port_entry> ports() const override;
};

}  // namespace platform
