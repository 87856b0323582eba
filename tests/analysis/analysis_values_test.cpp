// Hundredths, number formats, the ten result lines and the list-name rules.
#include <QtTest>

#include "analysis/analysis_values.h"

#include <limits>

using namespace analysis;

class analysis_values_test : public QObject {
    Q_OBJECT
private slots:
    void hundredths()
    {
        QCOMPARE(cut_to_hundredths(253.4199), 253.41);
        QCOMPARE(cut_to_hundredths(-181.0755), -181.07);  // toward zero
        QCOMPARE(cut_to_hundredths(3e10), 3e10);          // beyond 32-bit integers
        QCOMPARE(cut_to_hundredths(std::numeric_limits<double>::quiet_NaN()), 0.0);
        QCOMPARE(text_number(double(12.345678f)), QStringLiteral("12.3457"));
        QCOMPARE(text_number(1234567), QStringLiteral("1.23457e+06"));
    }

    void result_text_lines()
    {
        const result_text t{"CV_1", "1", "2", 100, {253.41f, 181.07f, 12.5f, -11.875f},
                            QDateTime(QDate(2019, 2, 18), QTime(14, 5, 9)), "anna"};
        const QStringList expected{"CV_1", "Channel:1, Cycle:2", "Rate(mV/sec): 100", "Epa(mV): 253.41",
                                   QString::fromUtf8("Ipa(\u00b5A): 12.5"), "Epc(mV): 181.07",
                                   QString::fromUtf8("Ipc(\u00b5A): -11.875"), "", "Date:2019-02-18  14:05:09",
                                   "User:anna"};
        QCOMPARE(result_lines(t), expected);
    }

    void analysis_names_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<bool>>("saved");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty list") << QStringList{} << QList<bool>{} << "b";
        QTest::newRow("unsaved row analysed again") << QStringList{"b"} << QList<bool>{false} << "b";
        QTest::newRow("saved: _1") << QStringList{"b"} << QList<bool>{true} << "b_1";
        QTest::newRow("both saved: _2") << QStringList{"b_1", "b"} << QList<bool>{true, true} << "b_2";
        QTest::newRow("unsaved _1 reused") << QStringList{"b", "b_1"} << QList<bool>{true, false} << "b_1";
    }

    void analysis_names()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<bool>, saved);
        QVector<listed_analysis> rows;
        for (int i = 0; i < names.size(); ++i)
            rows.push_back({names[i], saved[i]});
        QTEST(unique_analysis_name("b", rows), "name");
    }

    void list_names()
    {
        QCOMPARE(unique_list_name("a", {}), QStringLiteral("a"));
        QCOMPARE(unique_list_name("a", {"a", "a_2"}), QStringLiteral("a_1"));
        QCOMPARE(unique_list_name("a", {"a_1", "a"}), QStringLiteral("a_2"));
        QCOMPARE(unique_list_name("a", {"A"}), QStringLiteral("a"));
    }
};

QTEST_GUILESS_MAIN(analysis_values_test)
#include "analysis_values_test.moc"
