// Command bytes, the one-byte-per-write seam, identify requests and replies, line settings and display names.
#include "instrument/commands.h"
#include "instrument/device_names.h"

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

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

}  // namespace

class test_commands : public QObject {
    Q_OBJECT

private slots:
    void every_command_is_twenty_identical_bytes_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("close") << int(close_command);
        QTest::newRow("connect") << int(connect_command);
        QTest::newRow("identify") << int(identify_command);
        QTest::newRow("stop") << int(stop_command);
        QTest::newRow("identify reset") << int(identify_reset_command);
    }
    void every_command_is_twenty_identical_bytes()
    {
        QFETCH(int, command);
        const QByteArray b = command_bytes(uint8_t(command));
        QCOMPARE(b.size(), 20);
        QCOMPARE(b.count(char(command)), 20);
    }

    void command_values()
    {
        QCOMPARE(int(close_command), 0x09);
        QCOMPARE(int(connect_command), 0x0B);
        QCOMPARE(int(identify_command), 0x0D);
        QCOMPARE(int(stop_command), 0x0E);
        QCOMPARE(int(identify_reset_command), 0x0F);
    }

    void commands_go_out_one_byte_per_write()
    {
        write_log_device dev;
        QVERIFY(send_command(dev, stop_command));
        QCOMPARE(dev.writes.size(), 20);
        for (const QByteArray &w : dev.writes)
            QCOMPARE(w, QByteArray(1, char(0x0E)));
    }

    void a_parameter_frame_goes_out_once_in_order()
    {
        std::array<uint8_t, 20> frame{};
        for (int i = 0; i < 20; ++i)
            frame[size_t(i)] = uint8_t(0xA0 + i);
        write_log_device dev;
        QVERIFY(send_parameter_frame(dev, frame));
        QCOMPARE(dev.writes.size(), 20);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(uint8_t(dev.writes[i].at(0)), uint8_t(0xA0 + i));
    }

    void a_refused_write_is_reported()
    {
        write_log_device dev;
        dev.fail_after = 5;
        QVERIFY(!send_command(dev, connect_command));
        QCOMPARE(dev.writes.size(), 5);
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
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("id");
        QTest::newRow("c8 id 5") << bytes({0xC8, 0xC8, 0xC8, 5, 0xC8, 0xC8, 0xC8, 5}) << true << 0xC8 << 5;
        QTest::newRow("fa id 200") << bytes({0xFA, 0xFA, 0xFA, 200, 0xFA, 0xFA, 0xFA, 200}) << true << 0xFA << 200;
        QTest::newRow("mixed kinds") << bytes({0xC8, 0xC8, 0xC8, 5, 0xFA, 0xFA, 0xFA, 5}) << false << 0 << 0;
        QTest::newRow("ids differ") << bytes({0xFA, 0xFA, 0xFA, 7, 0xFA, 0xFA, 0xFA, 8}) << false << 0 << 0;
        QTest::newRow("unknown kind") << bytes({0xC9, 0xC9, 0xC9, 5, 0xC9, 0xC9, 0xC9, 5}) << false << 0 << 0;
        QTest::newRow("one byte off") << bytes({0xC8, 0xC8, 0xC8, 5, 0xC8, 0xC7, 0xC8, 5}) << false << 0 << 0;
        QTest::newRow("too short") << bytes({0xC8, 0xC8, 0xC8, 5, 0xC8, 0xC8, 0xC8}) << false << 0 << 0;
        QTest::newRow("empty") << QByteArray() << false << 0 << 0;
        QTest::newRow("extra bytes after the reply")
            << bytes({0xC8, 0xC8, 0xC8, 0, 0xC8, 0xC8, 0xC8, 0, 0x12, 0x34}) << true << 0xC8 << 0;
    }
    void identify_replies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, valid);
        QFETCH(int, kind);
        QFETCH(int, id);
        const identify_reply r = parse_identify_reply(reply);
        QCOMPARE(r.valid, valid);
        if (valid) {
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
        QCOMPARE(device_display_name(0), QStringLiteral("RZ410-K260500"));
        QCOMPARE(device_display_name(7), QStringLiteral("RZ410-K260507"));
        QCOMPARE(device_display_name(9), QStringLiteral("RZ410-K260509"));
        QCOMPARE(device_display_name(10), QStringLiteral("RZ410-K260510"));
        QCOMPARE(device_display_name(100), QStringLiteral("RZ410-K2605100"));
        QCOMPARE(device_display_name(255), QStringLiteral("RZ410-K2605255"));
    }
};

QTEST_GUILESS_MAIN(test_commands)
#include "test_commands.moc"
