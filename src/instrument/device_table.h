// The instruments that answered the identify exchange: their ids and serial ports, in answer order.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

// One byte counts the entries, so the table can never hold more than this.
constexpr int max_devices = 255;

struct device_table {
    std::array<uint8_t, max_devices> device_ids{};
    std::array<QString, max_devices> port_names{};
    uint8_t device_count = 0;

    bool full() const { return device_count >= max_devices; }
    // Appends an entry; refused (false) when the table is full.
    bool add(uint8_t id, const QString &port);
    // Index of the entry on `port`, or -1.
    int index_of_port(const QString &port) const;
    // Closes the gap: entries behind j move down one place. Out-of-range j is ignored.
    void remove(int j);
    // First entry whose port is not among `present`, or -1.
    int first_missing(const QStringList &present) const;
    void clear();
};

// The first port of `candidates` that no entry uses, or an empty string.
QString first_unknown_port(const device_table &table, const QStringList &candidates);
