// Port listing and the device-change watcher.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/device_change.h"
#include "platform/device_watcher.h"
#include "platform/port_listing.h"

using namespace platform;

namespace {
class fixed_lister : public port_lister {
public:
    std::vector<serial_port_entry> list;
    std::vector<serial_port_entry> ports() const override { return list; }
};

serial_port_entry bridge(const QString &name) { return {name, true, bridge_vendor_id, bridge_product_id}; }
}  // namespace

class test_port_listing : public QObject {
    Q_OBJECT
private slots:
    void extra_ports_are_split_at_colons_and_join_the_list_once()
    {
        QCOMPARE(parse_extra_ports("/dev/pts/3:/dev/pts/4"), QStringList({"/dev/pts/3", "/dev/pts/4"}));
        // Empty items, blanks and repeats are not ports.
        QCOMPARE(parse_extra_ports(":/dev/pts/3:: /dev/pts/3 :"), QStringList({"/dev/pts/3"}));
        QVERIFY(parse_extra_ports(QString()).isEmpty());

        std::vector<serial_port_entry> ports = {bridge("/dev/pts/7"), {"ttyS0", false, 0, 0}};
        append_extra_ports(ports, {"/dev/pts/7", "/dev/pts/9"});
        QCOMPARE(int(ports.size()), 3);
        QCOMPARE(bridge_port_names(ports), QStringList({"/dev/pts/7", "/dev/pts/9"}));
    }

    void only_ports_with_the_bridge_ids_count()
    {
        std::vector<serial_port_entry> ports = {
            {QStringLiteral("ttyS0"), false, 0, 0},
            {QStringLiteral("ttyUSB0"), true, 0x0403, 0x6015},   // same vendor, other chip
            {QStringLiteral("ttyUSB1"), true, 0x067B, 0x6001},   // other vendor, same product id
            bridge(QStringLiteral("ttyUSB2")),
            bridge(QString()),
            {QStringLiteral("ttyS1"), false, bridge_vendor_id, bridge_product_id},   // ids not reported
        };
        QCOMPARE(bridge_port_names(ports), QStringList({"ttyUSB2"}));
    }

    void system_listing_shows_existing_extra_paths_as_bridges()
    {
        QTemporaryDir dir;
        const QString present = dir.filePath(QStringLiteral("port_a"));
        const QString absent = dir.filePath(QStringLiteral("port_b"));
        QFile file(present);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("RZ410_EXTRA_PORTS", (present + ':' + absent).toLocal8Bit());
        const QStringList names = bridge_port_names(system_port_lister().ports());
        qunsetenv("RZ410_EXTRA_PORTS");
        QVERIFY(names.contains(present));
        QVERIFY(!names.contains(absent));
    }

    void watcher_reports_which_ports_came_and_went()
    {
        fixed_lister lister;
        lister.list = {bridge("a"), bridge("b"), {"ttyS0", false, 0, 0}};
        device_watcher watcher(lister, 60000);
        QSignalSpy arrived(&watcher, &device_watcher::ports_arrived);
        QSignalSpy removed(&watcher, &device_watcher::ports_removed);
        watcher.poll();   // the first look only learns what is there
        QCOMPARE(arrived.count(), 0);
        QCOMPARE(removed.count(), 0);

        lister.list = {bridge("b"), {"ttyS0", false, 0, 0}, bridge("c"), bridge("d")};
        watcher.poll();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).toStringList(), QStringList({"a"}));
        QCOMPARE(arrived.count(), 1);
        QCOMPARE(arrived.at(0).at(0).toStringList(), QStringList({"c", "d"}));

        watcher.poll();   // nothing changed, nothing reported
        QCOMPARE(arrived.count(), 1);
        QCOMPARE(removed.count(), 1);

        // A port whose line hung up is forgotten: still listed at the next poll, it has come again.
        watcher.forget("c");
        watcher.poll();
        QCOMPARE(arrived.count(), 2);
        QCOMPARE(arrived.at(1).at(0).toStringList(), QStringList({"c"}));
        QCOMPARE(removed.count(), 1);
    }

    void watcher_started_from_a_list_reports_what_differs_at_its_first_poll()
    {
        // The list the start-up search walked: "b" went and "c" came while it was busy.
        fixed_lister lister;
        lister.list = {bridge("a"), bridge("c")};
        device_watcher watcher(lister, 60000);
        QSignalSpy arrived(&watcher, &device_watcher::ports_arrived);
        QSignalSpy removed(&watcher, &device_watcher::ports_removed);
        watcher.start_from({"a", "b"});
        watcher.poll();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).toStringList(), QStringList({"b"}));
        QCOMPARE(arrived.count(), 1);
        QCOMPARE(arrived.at(0).at(0).toStringList(), QStringList({"c"}));
        watcher.stop();
    }

    void device_change_messages_are_classified()
    {
        QCOMPARE(classify_device_message(0x219, 0x8000), device_change::arrival);
        QCOMPARE(classify_device_message(0x219, 0x8004), device_change::removal);
        QCOMPARE(classify_device_message(0x219, 0x8001), device_change::none);   // query removal: not gone yet
        QCOMPARE(classify_device_message(0x218, 0x8000), device_change::none);
    }

    void watcher_polls_on_its_timer()
    {
        fixed_lister lister;
        device_watcher watcher(lister, 20);
        QSignalSpy arrived(&watcher, &device_watcher::ports_arrived);
        watcher.start();
        lister.list = {bridge("x")};
        QTRY_COMPARE_WITH_TIMEOUT(arrived.count(), 1, 2000);
        watcher.stop();
    }
};

QTEST_GUILESS_MAIN(test_port_listing)
#include "port_listing_test.moc"
