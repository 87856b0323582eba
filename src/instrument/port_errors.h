// What the program makes of a serial port's errors: which end the connection, and what the user is told when
// a port will not open.
#pragma once

#include <QSerialPort>
#include <QString>

// True for the errors after which the port delivers nothing more: the device vanished or hung up (resource
// error), or reading or writing failed (end of input on a hung-up line shows as a read error).
bool port_error_ends_link(QSerialPort::SerialPortError error);

// Title and text of the message shown when the instrument's port cannot be opened.
QString port_open_failure_title();
// Names the port and the system's reason; a permission error adds how to get the right.
QString port_open_failure_text(const QString &port, const QString &reason, bool permission_denied);
