// The device table: adding in answer order, the 255-entry limit, closing up on removal.
#include <QtTest>

#include "instrument/device_table.h"

class test_device_table : public QObject {
    Q_OBJECT
private slots:
    void starts_empty_with_cleared_entries()
    {
        device_table table;
        QCOMPARE(int(table.device_count), 0);
        QCOMPARE(int(table.device_ids[0]), 0);
        QVERIFY(table.port_names[254].isEmpty());
        QCOMPARE(table.index_of_port(QString()), -1);   // an empty name matches no unused entry
    }

    void refuses_a_256th_instrument()
    {
        device_table table;
        for (int i = 0; i < max_devices; ++i)
            QVERIFY(table.add(uint8_t(i), QStringLiteral("port%1").arg(i)));
        QVERIFY(table.full());
        QCOMPARE(int(table.device_count), 255);
        QVERIFY(!table.add(7, QStringLiteral("one too many")));
        QCOMPARE(int(table.device_count), 255);   // the count byte must not wrap to 0
        QCOMPARE(table.index_of_port(QStringLiteral("one too many")), -1);
        QCOMPARE(table.port_names[254], QStringLiteral("port254"));
    }

    void removal_closes_up_behind_the_entry()
    {
        device_table table;
        table.add(1, "a");
        table.add(2, "b");
        table.add(3, "c");
        table.remove(0);
        QCOMPARE(int(table.device_count), 2);
        QCOMPARE(table.port_names[0], QStringLiteral("b"));
        QCOMPARE(int(table.device_ids[1]), 3);
        QVERIFY(table.port_names[2].isEmpty());
        table.remove(5);    // outside the table: ignored
        table.remove(-1);
        QCOMPARE(int(table.device_count), 2);
        table.remove(1);
        QCOMPARE(int(table.device_count), 1);
        QCOMPARE(table.port_names[0], QStringLiteral("b"));
    }

    void missing_and_unknown_ports_are_found_by_name()
    {
        device_table table;
        table.add(1, "a");
        table.add(2, "b");
        table.add(3, "c");
        // A decoy bridge port among those present does not hide that "b" is gone.
        QCOMPARE(table.first_missing({"a", "c", "decoy"}), 1);
        QCOMPARE(table.first_missing({"c", "b", "a"}), -1);
        QCOMPARE(table.first_missing({}), 0);
        QCOMPARE(first_unknown_port(table, {"a", "x", "y"}), QStringLiteral("x"));
        QVERIFY(first_unknown_port(table, {"c", "a"}).isEmpty());
        table.clear();
        QCOMPARE(int(table.device_count), 0);
        QCOMPARE(first_unknown_port(table, {"a"}), QStringLiteral("a"));
    }
};

QTEST_GUILESS_MAIN(test_device_table)
#include "device_table_test.moc"
