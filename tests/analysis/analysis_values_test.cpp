// Hundredths, number formats, the ten result lines and the list-name rules.
#include <QtTest>

#include "analysis/analysis_values.h"

#include <limits>

using namespace analysis;

class analysis_values_test : public QObject {
    Q_OBJECT
private slots:
    void hundredths_data()
    {
        QTest::addColumn<double>("v");
        QTest::addColumn<double>("cut");
        QTest::newRow("positive") << 253.4199 << 253.41;
        QTest::newRow("negative toward zero") << -181.0755 << -181.07;
        QTest::newRow("beyond 32-bit integers") << 3e10 << 3e10;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 0.0;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    }

    void hundredths()
    {
        QFETCH(double, v);
        QTEST(cut_to_hundredths(v), "cut");
    }

    void number_texts()
    {
        QCOMPARE(label_number(double(float(cut_to_hundredths(0.2534199 * 1000)))), QStringLiteral("253.41"));
        QCOMPARE(label_number(double(12.345678f)), QStringLiteral("12.35"));
        QCOMPARE(text_number(double(12.345678f)), QStringLiteral("12.3457"));
        QCOMPARE(text_number(0.0001), QStringLiteral("0.0001"));
        QCOMPARE(text_number(1234567), QStringLiteral("1.23457e+06"));
        QCOMPARE(shown_value(-181.0799f), QStringLiteral("-181.07"));
    }

    void result_text_lines()
    {
        result_text t;
        t.experiment = "CV_1";
        t.channel = "1";
        t.cycle = "2";
        t.rate = 100;
        t.values = {253.41f, 181.07f, 12.5f, -11.875f};
        t.when = QDateTime(QDate(2019, 2, 18), QTime(14, 5, 9));
        t.user = "anna";
        const QStringList expected{"CV_1",
                                   "Channel:1, Cycle:2",
                                   "Rate(mV/sec): 100",
                                   "Epa(mV): 253.41",
                                   QString::fromUtf8("Ipa(\u00b5A): 12.5"),
                                   "Epc(mV): 181.07",
                                   QString::fromUtf8("Ipc(\u00b5A): -11.875"),
                                   "",
                                   "Date:2019-02-18  14:05:09",
                                   "User:anna"};
        QCOMPARE(result_lines(t), expected);
    }

    void analysis_names_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<bool>>("saved");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty list") << QStringList{} << QList<bool>{} << "CV_3_W2C1";
        QTest::newRow("unsaved row analysed again") << QStringList{"CV_3_W2C1"} << QList<bool>{false} << "CV_3_W2C1";
        QTest::newRow("saved: _1") << QStringList{"CV_3_W2C1"} << QList<bool>{true} << "CV_3_W2C1_1";
        QTest::newRow("both saved: _2") << QStringList{"CV_3_W2C1_1", "CV_3_W2C1"} << QList<bool>{true, true}
                                        << "CV_3_W2C1_2";
        QTest::newRow("unsaved _1 reused") << QStringList{"CV_3_W2C1", "CV_3_W2C1_1"} << QList<bool>{true, false}
                                           << "CV_3_W2C1_1";
    }

    void analysis_names()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<bool>, saved);
        QVector<listed_analysis> rows;
        for (int i = 0; i < names.size(); ++i)
            rows.push_back({names[i], saved[i]});
        QTEST(unique_analysis_name("CV_3_W2C1", rows), "name");
    }

    void list_names_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("name");
        QTest::newRow("first opening") << QStringList{} << "a";
        QTest::newRow("second") << QStringList{"a"} << "a_1";
        QTest::newRow("gap filled") << QStringList{"a", "a_2"} << "a_1";
        QTest::newRow("third") << QStringList{"a_1", "a"} << "a_2";
        QTest::newRow("case counts") << QStringList{"A"} << "a";
    }

    void list_names()
    {
        QFETCH(QStringList, names);
        QTEST(unique_list_name("a", names), "name");
    }
};

QTEST_GUILESS_MAIN(analysis_values_test)
#include "analysis_values_test.moc"
