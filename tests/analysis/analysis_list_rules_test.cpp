// The analysis list's rules: details panel for a selection, rows drawn, save buttons, shown values, usable names.
#include <QtTest>

#include <limits>

#include "analysis/analysis_list_rules.h"

using namespace analysis_list;

class analysis_list_rules_test : public QObject {
    Q_OBJECT
private slots:
    void details_and_drawn_rows_data()
    {
        QTest::addColumn<bool>("single");
        QTest::addColumn<QStringList>("selected_names");
        QTest::addColumn<QVector<int>>("selected_rows");
        QTest::addColumn<QStringList>("box");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QVector<int>>("drawn");
        QTest::addColumn<int>("on_show");  // the current row is 1
        const QStringList own{"CV_1", "Rate(mV/sec): 100"};
        QTest::newRow("one selected") << false << QStringList{"b"} << QVector<int>{1} << QStringList{"b"} << own
                                      << QVector<int>{1} << 1;
        QTest::newRow("none selected") << false << QStringList{} << QVector<int>{} << QStringList{"b"} << own
                                       << QVector<int>{} << -1;
        QTest::newRow("overlay of three") << false << QStringList{"a", "c", "b"} << QVector<int>{0, 2, 1}
                                          << QStringList{"3 Analysis", "a", "c", "b"}
                                          << QStringList{"3 analysis are selected:", "a", "c", "b"}
                                          << QVector<int>{0, 1, 2} << 1;
        // The single view draws the current row only, however many rows a caller names.
        QTest::newRow("single view") << true << QStringList{"a", "b"} << QVector<int>{0, 1} << QStringList{"b"}
                                     << own << QVector<int>{1} << 1;
        // A current row out of the selection is not on show, nor the others drawn around it.
        QTest::newRow("single view, current unselected") << true << QStringList{"a"} << QVector<int>{0}
                                                         << QStringList{"b"} << own << QVector<int>{} << -1;
    }
    void details_and_drawn_rows()
    {
        QFETCH(bool, single);
        QFETCH(QStringList, selected_names);
        QFETCH(QVector<int>, selected_rows);
        const details_view view = details_for(single, "b", {"CV_1", "Rate(mV/sec): 100"}, selected_names,
                                              click_heading(selected_names.size()));
        QTEST(view.box_entries, "box");
        QTEST(view.lines, "lines");
        QTEST(rows_to_draw(single, 1, selected_rows), "drawn");
        QTEST(row_on_show(1, selected_rows), "on_show");
        QCOMPARE(rows_to_draw(single, -1, selected_rows), QVector<int>{});
    }

    void save_buttons()
    {
        QVERIFY(!save_offered(2, true, false));
        QVERIFY(save_offered(1, true, false));
        QVERIFY(!save_offered(1, true, true));
        QVERIFY(save_offered(0, false, true));
    }

    void values_cut_toward_zero_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("245.678") << 245.678f << "245.67";
        QTest::newRow("12.345678, cut, not rounded") << 12.345678f << "12.34";
        QTest::newRow("-181.0799") << -181.0799f << "-181.07";
        QTest::newRow("-12.345") << -12.345f << "-12.34";
        QTest::newRow("1.005 as a float") << 1.005f << "1";
        QTest::newRow("already cut, 99.84") << 99.84f << "99.84";
        QTest::newRow("already cut, 0.29") << 0.29f << "0.29";
        QTest::newRow("already cut, -181.07") << -181.07f << "-181.07";
        QTest::newRow("1e30") << 1e30f << "1e+30";
        QTest::newRow("infinite") << std::numeric_limits<float>::infinity() << "0";
        QTest::newRow("nan") << std::numeric_limits<float>::quiet_NaN() << "0";
    }
    void values_cut_toward_zero()
    {
        QFETCH(float, value);
        QTEST(shown_value(value), "shown");
    }

    void names_usable_as_file_names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("usable");
        QTest::newRow("plain") << "CV_3_W1C2" << true;
        QTest::newRow("inner blank and dots") << "run 2.b" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("blank") << "   " << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("backslash") << "..\\x" << false;
        QTest::newRow("drive colon") << "c:x" << false;
        QTest::newRow("wildcard") << "a*" << false;
        QTest::newRow("line break") << "a\nb" << false;
    }
    void names_usable_as_file_names()
    {
        QFETCH(QString, name);
        QTEST(usable_name(name), "usable");
    }
};

QTEST_GUILESS_MAIN(analysis_list_rules_test)
#include "analysis_list_rules_test.moc"
