// One-byte commands, line settings and the identify exchange.
#include "instrument/commands.h"

#include <QIODevice>

void apply_line_settings(QSerialPort &port)
{
    port.setBaudRate(line_baud_rate, QSerialPort::AllDirections);
    port.setDataBits(line_data_bits);
    port.setParity(line_parity);
    port.setStopBits(line_stop_bits);
    port.setFlowControl(line_flow_control);
}

QByteArray command_bytes(uint8_t command)
{
    return QByteArray(command_repeats, static_cast<char>(command));
}

bool write_bytewise(QIODevice &device, const QByteArray &bytes)
{
    // A port closed by an unplug or never opened takes nothing; writing to it only fills the log with Qt's
    // "device not open" warnings, twenty at a time.
    if (!device.isOpen() || !device.isWritable())
        return false;
    bool all_written = true;
    for (int i = 0; i < bytes.size(); ++i) {
        const char byte = bytes.at(i);
        if (device.write(&byte, 1) != 1)
            all_written = false;
    }
    return all_written;
}

bool send_command(QIODevice &device, uint8_t command)
{
    return write_bytewise(device, command_bytes(command));
}

bool send_parameter_frame(QIODevice &device, const std::array<uint8_t, 20> &frame)
{
    return write_bytewise(device, QByteArray(reinterpret_cast<const char *>(frame.data()), int(frame.size())));
}

identify_request choose_identify_request(uint8_t device_count, uint8_t mode)
{
    if (device_count == 0)
        return {identify_reset_command, identify_mode_normal};
    if (mode == identify_mode_switch)
        return {close_command, identify_mode_normal};
    if (mode == identify_mode_reset)
        return {identify_reset_command, identify_mode_normal};
    return {identify_command, mode};
}

identify_reply parse_identify_reply(const QByteArray &bytes)
{
    identify_reply reply;
    if (bytes.size() < identify_reply_size)
        return reply;
    const auto at = [&bytes](int i) { return static_cast<uint8_t>(bytes.at(i)); };
    const uint8_t kind = at(0);
    if (kind != identify_kind_c8 && kind != identify_kind_fa)
        return reply;
    for (int i : {1, 2, 4, 5, 6}) {
        if (at(i) != kind)
            return reply;
    }
    if (at(3) != at(7))
        return reply;
    reply.valid = true;
    reply.kind = kind;
    reply.id = at(3);
    return reply;
}
