// The rules behind the analysis screen's side of the hand-over: user messages, device text, channel and
// cycle choices, proposed names.
#include <QtTest>

#include "analysis/handover_rules.h"

using namespace handover;

class handover_rules_test : public QObject {
    Q_OBJECT
private slots:
    void user_messages_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("add");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("current");
        QTest::newRow("plain") << "anna" << true << "anna" << false;
        QTest::newRow("log out") << "Log Out" << true << "Log Out" << false;
        QTest::newRow("marked") << "0xffrecentuser\tben" << true << "ben" << true;
        QTest::newRow("marked, more tabs") << "0xffrecentuser\tben\tx" << true << "ben" << true;
        QTest::newRow("marked, empty name") << "0xffrecentuser\t" << true << "" << true;
        QTest::newRow("marker alone adds nothing") << "0xffrecentuser" << false << "" << false;
        QTest::newRow("marker is case-sensitive") << "0xFFrecentuser\tben" << true << "0xFFrecentuser\tben" << false;
        QTest::newRow("tab without marker kept whole") << "a\tb" << true << "a\tb" << false;
        QTest::newRow("marker not first") << "ben\t0xffrecentuser" << true << "ben\t0xffrecentuser" << false;
    }

    void user_messages()
    {
        QFETCH(QString, message);
        const user_entry e = parse_user_message(message);
        QTEST(e.add, "add");
        QTEST(e.name, "name");
        QTEST(e.current, "current");
    }

    void device_text_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("text");
        QTest::newRow("disconnected") << "disconnected" << "Disconnected";
        QTest::newRow("already shown form") << "Disconnected" << "Disconnected";
        QTest::newRow("other case kept") << "DISCONNECTED" << "DISCONNECTED";
        QTest::newRow("connected") << "connected" << "connected";
        QTest::newRow("instrument") << "RZ410-K260507" << "RZ410-K260507";
    }

    void device_text()
    {
        QFETCH(QString, state);
        QTEST(device_box_text(state), "text");
    }

    void channel_choice_data()
    {
        QTest::addColumn<int>("ch1");
        QTest::addColumn<int>("ch2");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("index");
        QTest::newRow("both") << 6 << 6 << true << 0;
        QTest::newRow("electrode 1 only") << 100 << 0 << false << 0;
        QTest::newRow("electrode 2 only") << 0 << 100 << false << 1;
        QTest::newRow("neither") << 0 << 0 << false << 1;
        // Five points are too few to count, on either side.
        QTest::newRow("five on electrode 1") << 5 << 100 << false << 1;
        QTest::newRow("five on electrode 2") << 100 << 5 << false << 0;
        QTest::newRow("five on both") << 5 << 5 << false << 1;
    }

    void channel_choice()
    {
        QFETCH(int, ch1);
        QFETCH(int, ch2);
        const channel_setup s = channel_for(ch1, ch2);
        QTEST(s.enabled, "enabled");
        QTEST(s.index, "index");
    }

    void cycle_choice()
    {
        QCOMPARE(cycle_items(3), QStringList({"1", "2", "3"}));
        QVERIFY(cycle_choice_enabled(3));
        QCOMPARE(cycle_items(2), QStringList({"1", "2"}));
        for (int c : {1, 0, -4}) {
            QCOMPARE(cycle_items(c), QStringList{"1"});
            QVERIFY(!cycle_choice_enabled(c));
        }
        const QStringList many = cycle_items(300);
        QCOMPARE(many.size(), 300);
        QCOMPARE(many.last(), QStringLiteral("300"));
    }

    void names()
    {
        QCOMPARE(analysis_base_name("Exp_3", 0, 1), QStringLiteral("Exp_3_W1C2"));
        QCOMPARE(analysis_base_name("CV_3", 1, 0), QStringLiteral("CV_3_W2C1"));
        QCOMPARE(analysis_base_name("CV", 0, 11), QStringLiteral("CV_W1C12"));
        QCOMPARE(default_analysis_name(QDate(2019, 12, 25)), QStringLiteral("New_Analysis_20191225"));
        QCOMPARE(default_analysis_name(QDate(2019, 2, 5)), QStringLiteral("New_Analysis_20190205"));
    }
};

QTEST_GUILESS_MAIN(handover_rules_test)
#include "handover_rules_test.moc"
