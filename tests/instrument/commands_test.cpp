// Command bytes, the one-byte-per-write seam, identify requests and replies, line settings and display names.
#include "instrument/commands.h"
#include "instrument/device_names.h"
#include "instrument/port_errors.h"

#include <QIODevice>
#include <QtTest>

namespace {

// Records every write call separately, so tests see how the bytes were split into writes.
class write_log_device : public QIODevice {
public:
    QList<QByteArray> writes;
    int fail_after = -1;   // accept this many writes, then refuse

    write_log_device() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        if (fail_after >= 0 && writes.size() >= fail_after)
            return -1;
        writes.append(QByteArray(data, int(len)));
        return len;
    }
};

QByteArray reply(int kind, int id1, int id2 = -1, int kind2 = -1)
{
    const char k2 = char(kind2 < 0 ? kind : kind2);
    return QByteArray(3, char(kind)) + char(id1) + QByteArray(3, k2) + char(id2 < 0 ? id1 : id2);
}

}  // namespace

class test_commands : public QObject {
    Q_OBJECT

private slots:
    void every_command_is_twenty_identical_bytes_data()
    {
        QTest::addColumn<uint8_t>("command");
        QTest::addColumn<int>("byte");
        QTest::newRow("close") << close_command << 0x09;
        QTest::newRow("connect") << connect_command << 0x0B;
        QTest::newRow("identify") << identify_command << 0x0D;
        QTest::newRow("stop") << stop_command << 0x0E;
        QTest::newRow("identify reset") << identify_reset_command << 0x0F;
    }
    void every_command_is_twenty_identical_bytes()
    {
        QFETCH(uint8_t, command);
        QFETCH(int, byte);
        QCOMPARE(command_bytes(command), QByteArray(20, char(byte)));
        // On the wire, one byte per write.
        write_log_device dev;
        QVERIFY(send_command(dev, command));
        QCOMPARE(dev.writes, QVector<QByteArray>(20, QByteArray(1, char(byte))).toList());
    }

    void a_parameter_frame_goes_out_once_in_order()
    {
        std::array<uint8_t, 20> frame{};
        QList<QByteArray> expected;
        for (int i = 0; i < 20; ++i) {
            frame[size_t(i)] = uint8_t(0xA0 + i);
            expected << QByteArray(1, char(0xA0 + i));
        }
        write_log_device dev;
        QVERIFY(send_parameter_frame(dev, frame));
        QCOMPARE(dev.writes, expected);
    }

    void a_refused_write_is_reported()
    {
        write_log_device dev;
        dev.fail_after = 5;
        QVERIFY(!send_command(dev, connect_command));
        QCOMPARE(dev.writes.size(), 5);
    }

    void port_errors_that_end_the_link_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("ends");
        QTest::newRow("device gone") << int(QSerialPort::ResourceError) << true;
        QTest::newRow("end of input") << int(QSerialPort::ReadError) << true;
        QTest::newRow("write failed") << int(QSerialPort::WriteError) << true;
        QTest::newRow("none") << int(QSerialPort::NoError) << false;
        QTest::newRow("closing a closed port") << int(QSerialPort::NotOpenError) << false;
        QTest::newRow("open refused") << int(QSerialPort::PermissionError) << false;
        QTest::newRow("time-out") << int(QSerialPort::TimeoutError) << false;
    }
    void port_errors_that_end_the_link()
    {
        QFETCH(int, error);
        QFETCH(bool, ends);
        QCOMPARE(port_error_ends_link(QSerialPort::SerialPortError(error)), ends);
    }

    void port_open_failure_names_port_reason_and_remedy_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("permission");
        QTest::addColumn<QString>("expected");
        const QString remedy = QStringLiteral(
            "\n\nYour account may not use serial ports. Ask an administrator to add it to the \"dialout\" group "
            "(sudo usermod -aG dialout <user name>), then log out and log in again.");
        QTest::newRow("permission") << "Permission denied" << true
                                    << "The port /dev/ttyUSB0 could not be opened: Permission denied." + remedy;
        QTest::newRow("busy, full stop kept once") << "Device or resource busy." << false
                                                   << "The port /dev/ttyUSB0 could not be opened: Device or resource busy.";
        QTest::newRow("no reason") << "  " << false << "The port /dev/ttyUSB0 could not be opened: unknown error.";
    }
    void port_open_failure_names_port_reason_and_remedy()
    {
        QFETCH(QString, reason);
        QFETCH(bool, permission);
        QFETCH(QString, expected);
        QCOMPARE(port_open_failure_text(QStringLiteral("/dev/ttyUSB0"), reason, permission), expected);
    }

    void nothing_is_written_to_a_closed_port_data()
    {
        QTest::addColumn<int>("open_mode");
        QTest::newRow("closed") << int(QIODevice::NotOpen);
        QTest::newRow("read only") << int(QIODevice::ReadOnly);
    }
    void nothing_is_written_to_a_closed_port()
    {
        QFETCH(int, open_mode);
        write_log_device dev;
        dev.close();
        if (open_mode != QIODevice::NotOpen)
            dev.open(QIODevice::OpenMode(open_mode));
        // Qt would warn once per byte ("device not open" / "ReadOnly device"); the seam must not even try.
        static int warnings;
        warnings = 0;
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) { ++warnings; });
        const bool command_sent = send_command(dev, stop_command);
        const std::array<uint8_t, 20> frame{};
        const bool frame_sent = send_parameter_frame(dev, frame);
        qInstallMessageHandler(previous);
        QVERIFY(!command_sent);
        QVERIFY(!frame_sent);
        QVERIFY(dev.writes.isEmpty());
        QCOMPARE(warnings, 0);
    }

    void identify_request_by_mode()
    {
        // No instrument known: always the reset request, and the mode goes back to normal.
        for (uint8_t mode : {identify_mode_normal, identify_mode_switch, identify_mode_reset}) {
            const identify_request r = choose_identify_request(0, mode);
            QCOMPARE(int(r.command), 0x0F);
            QCOMPARE(int(r.next_mode), 0);
        }
        identify_request r = choose_identify_request(1, identify_mode_switch);
        QCOMPARE(int(r.command), 0x09);
        QCOMPARE(int(r.next_mode), 0);
        r = choose_identify_request(1, r.next_mode);
        QCOMPARE(int(r.command), 0x0D);
        QCOMPARE(int(r.next_mode), 0);
        r = choose_identify_request(3, identify_mode_reset);
        QCOMPARE(int(r.command), 0x0F);
        QCOMPARE(int(r.next_mode), 0);
    }

    void identify_replies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("kind");   // 0: not a valid reply
        QTest::addColumn<int>("id");
        QTest::newRow("c8 id 5") << reply(0xC8, 5) << 0xC8 << 5;
        QTest::newRow("fa id 200") << reply(0xFA, 200) << 0xFA << 200;
        QTest::newRow("mixed kinds") << reply(0xC8, 5, 5, 0xFA) << 0 << 0;
        QTest::newRow("ids differ") << reply(0xFA, 7, 8) << 0 << 0;
        QTest::newRow("unknown kind") << reply(0xC9, 5) << 0 << 0;
        QTest::newRow("one byte off") << reply(0xC8, 5).replace(5, 1, "\xC7") << 0 << 0;
        QTest::newRow("too short") << reply(0xC8, 5).left(7) << 0 << 0;
        QTest::newRow("empty") << QByteArray() << 0 << 0;
        QTest::newRow("extra bytes after the reply") << reply(0xC8, 0) + "\x12\x34" << 0xC8 << 0;
    }
    void identify_replies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, kind);
        QFETCH(int, id);
        const identify_reply r = parse_identify_reply(reply);
        QCOMPARE(r.valid, kind != 0);
        if (r.valid) {
            QCOMPARE(int(r.kind), kind);
            QCOMPARE(int(r.id), id);
        }
    }

    void line_settings()
    {
        QSerialPort port;
        port.setBaudRate(9600);
        port.setParity(QSerialPort::EvenParity);
        port.setFlowControl(QSerialPort::HardwareControl);
        apply_line_settings(port);
        QCOMPARE(port.baudRate(QSerialPort::Input), 1000000);
        QCOMPARE(port.baudRate(QSerialPort::Output), 1000000);
        QCOMPARE(port.dataBits(), QSerialPort::Data8);
        QCOMPARE(port.parity(), QSerialPort::NoParity);
        QCOMPARE(port.stopBits(), QSerialPort::OneStop);
        QCOMPARE(port.flowControl(), QSerialPort::NoFlowControl);
    }

    void display_names()
    {
        const std::pair<int, const char *> names[] = {{0, "RZ410-K260500"},   {7, "RZ410-K260507"},
                                                      {9, "RZ410-K260509"},   {10, "RZ410-K260510"},
                                                      {100, "RZ410-K2605100"}, {255, "RZ410-K2605255"}};
        for (const auto &n : names)
            QCOMPARE(device_display_name(uint8_t(n.first)), QString::fromLatin1(n.second));
    }
};

QTEST_GUILESS_MAIN(test_commands)
#include "commands_test.moc"
