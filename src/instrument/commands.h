// The instrument's one-byte commands, its serial line settings and the identify exchange, as plain bytes.
#pragma once

#include <QByteArray>
#include <QSerialPort>
#include <array>
#include <cstdint>

class QIODevice;

// Command bytes. The instrument reads each of them from a burst of identical bytes.
constexpr uint8_t close_command = 0x09;
constexpr uint8_t connect_command = 0x0B;
constexpr uint8_t identify_command = 0x0D;
constexpr uint8_t stop_command = 0x0E;
constexpr uint8_t identify_reset_command = 0x0F;

// Every command goes out this many times in a row, with no wait for an answer.
constexpr int command_repeats = 20;

// Line settings, applied every time a port is opened on the instrument.
constexpr qint32 line_baud_rate = 1000000;
constexpr QSerialPort::DataBits line_data_bits = QSerialPort::Data8;
constexpr QSerialPort::Parity line_parity = QSerialPort::NoParity;
constexpr QSerialPort::StopBits line_stop_bits = QSerialPort::OneStop;
constexpr QSerialPort::FlowControl line_flow_control = QSerialPort::NoFlowControl;

// Sets baud rate (both directions), data bits, parity, stop bits and flow control; the port name is left alone.
void apply_line_settings(QSerialPort &port);

// The bytes of one command as they go on the wire: the command byte command_repeats times.
QByteArray command_bytes(uint8_t command);

// Writes the bytes one write per byte, in order; the instrument's receiver takes them one at a time.
// Returns true only when every single write was accepted.
bool write_bytewise(QIODevice &device, const QByteArray &bytes);
bool send_command(QIODevice &device, uint8_t command);
bool send_parameter_frame(QIODevice &device, const std::array<uint8_t, 20> &frame);

// Identify exchange.
constexpr int identify_reply_size = 8;
constexpr uint8_t identify_kind_c8 = 0xC8;
constexpr uint8_t identify_kind_fa = 0xFA;

// Identify request modes (id_command_mode).
constexpr uint8_t identify_mode_normal = 0;
constexpr uint8_t identify_mode_switch = 1;   // the user picked another instrument
constexpr uint8_t identify_mode_reset = 2;    // the device box's "Reset"

struct identify_request {
    uint8_t command = identify_reset_command;
    uint8_t next_mode = identify_mode_normal;
};

// Which request byte ask_for_id sends, and the mode afterwards.
identify_request choose_identify_request(uint8_t device_count, uint8_t mode);

struct identify_reply {
    bool valid = false;
    uint8_t kind = 0;   // identify_kind_c8 or identify_kind_fa when valid
    uint8_t id = 0;
};

// Judges the first identify_reply_size bytes; fewer bytes than that is not a valid reply.
identify_reply parse_identify_reply(const QByteArray &bytes);
