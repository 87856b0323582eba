// Serial-port errors as the link and the user see them.
#include "instrument/port_errors.h"

bool port_error_ends_link(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        return true;
    default:
        return false;
    }
}

QString port_open_failure_title() { return QStringLiteral("Instrument port"); }

QString port_open_failure_text(const QString &port, const QString &reason, bool permission_denied)
{
    QString why = reason.trimmed();
    while (why.endsWith(QLatin1Char('.')))
        why.chop(1);
    if (why.isEmpty())
        why = QStringLiteral("unknown error");
    QString text = QStringLiteral("The port %1 could not be opened: %2.").arg(port, why);
    if (permission_denied) {
        // On Linux a USB-serial device belongs to the "dialout" group; nothing short of membership opens it.
        text += QStringLiteral(
            "\n\nYour account may not use serial ports. Ask an administrator to add it to the \"dialout\" group "
            "(sudo usermod -aG dialout <user name>), then log out and log in again.");
    }
    return text;
}
