// The analyses of a window: starting state, and the compaction that closes the gaps of removed rows.
#include <QtTest>

#include <memory>
#include <qcustomplot.h>

#include "analysis/analysis_records.h"
#include "run/curve_display.h"
#include "run/curve_palette.h"
#include "run/qcp_compat.h"

namespace {

// Gives place i values that all derive from `tag`, so a moved analysis is recognisable field by field.
void fill(analysis_records &book, int i, int tag)
{
    curve &r = book.record(i);
    r.name = QStringLiteral("A%1").arg(tag);
    r.details = QStringList{QStringLiteral("CV_%1").arg(tag)};
    r.saved = uint8_t(tag % 2);
    r.ch1_shown = uint8_t(tag % 3 != 0);
    r.saved_name = QStringLiteral("file_%1").arg(tag);
    r.rate = uint16_t(100 + tag);
    r.method = QStringLiteral("CV_%1").arg(tag);
    r.e_min = -0.1f * tag, r.e_max = 0.1f * tag, r.i_min = -float(tag), r.i_max = float(tag);
    r.ch1_colour = pair_colour_ch1(tag), r.ch2_colour = pair_colour_ch2(tag);
    r.ch1_curve->setPen(electrode_pen(r.ch1_colour));
    r.ch1_curve->setName(r.name);
    qcp::set_points(r.ch1_curve, {0.1 * tag, 0.2}, {double(tag), 1.0});
    qcp::set_points(r.ch1_raw_curve, {0.1 * tag}, {double(tag) + 0.5});
    qcp::set_points(r.ch2_curve, {0.3}, {double(-tag)});
    analysis_result &res = book.result(i);
    res.Epa = 100.25f + tag, res.Ipc = -1.5f * tag;
    res.colour_a = pair_colour_ch1(tag + 5), res.colour_b = pair_colour_ch2(tag + 7);
    res.anodic_tangent->setPen(tangent_pen(res.colour_a));
    res.current_anodic = uint16_t(10 + tag), res.current_cathodic = uint16_t(20 + tag);
    res.current_tangent = int16_t(-tag), res.current_cathodic_2 = int16_t(tag);
    res.anodic_max = int16_t(30 + tag), res.anodic_slope = 0.25f * tag;
    res.channel_index = uint8_t(tag % 2), res.cycle_index = uint8_t(tag);
    res.folder = QStringLiteral("Data/User/ann/Analysis/%1").arg(tag);
    qcp::set_points(res.anodic_tangent, {0.0, 0.1 * tag, 0.2, 0.2}, {1.0, 2.0, 3.0, double(tag)});
    qcp::set_points(res.cathodic_tangent, {0.5, 0.4}, {-1.0, -double(tag)});
}

// Place i holds exactly what fill(i, tag) put there, with its pens following its colours.
void expect(analysis_records &book, int i, int tag)
{
    analysis_records reference;
    QCustomPlot plot;
    reference.attach(&plot);
    fill(reference, 0, tag);
    const curve &want = reference.record(0);
    const curve &got = book.record(i);
    QCOMPARE(got.name, want.name);
    QCOMPARE(got.details, want.details);
    QCOMPARE(got.saved, want.saved);
    QCOMPARE(got.ch1_shown, want.ch1_shown);
    QCOMPARE(got.saved_name, want.saved_name);
    QCOMPARE(got.rate, want.rate);
    QCOMPARE(got.method, want.method);
    QCOMPARE(got.e_max, want.e_max);
    QCOMPARE(got.i_min, want.i_min);
    QCOMPARE(got.ch1_colour, want.ch1_colour);
    QCOMPARE(got.ch1_curve->pen().color(), want.ch1_colour);
    QCOMPARE(got.ch1_curve->name(), want.name);
    for (auto pair : {std::make_pair(got.ch1_curve, want.ch1_curve), std::make_pair(got.ch2_curve, want.ch2_curve),
                      std::make_pair(got.ch1_raw_curve, want.ch1_raw_curve)}) {
        QCOMPARE(qcp::read_points(pair.first).keys, qcp::read_points(pair.second).keys);
        QCOMPARE(qcp::read_points(pair.first).values, qcp::read_points(pair.second).values);
    }
    const analysis_result &w = reference.result(0);
    const analysis_result &g = book.result(i);
    QCOMPARE(g.Epa, w.Epa);
    QCOMPARE(g.Ipc, w.Ipc);
    QCOMPARE(g.colour_a, w.colour_a);
    QCOMPARE(g.colour_b, w.colour_b);
    QCOMPARE(g.anodic_tangent->pen().color(), w.colour_a);
    QCOMPARE(g.cathodic_tangent->pen().style(), Qt::DashLine);
    QCOMPARE(g.current_anodic, w.current_anodic);
    QCOMPARE(g.current_cathodic, w.current_cathodic);
    QCOMPARE(g.current_tangent, w.current_tangent);
    QCOMPARE(g.current_cathodic_2, w.current_cathodic_2);
    QCOMPARE(g.anodic_max, w.anodic_max);
    QCOMPARE(g.anodic_slope, w.anodic_slope);
    QCOMPARE(g.channel_index, w.channel_index);
    QCOMPARE(g.cycle_index, w.cycle_index);
    QCOMPARE(g.folder, w.folder);
    QCOMPARE(qcp::read_points(g.anodic_tangent).values, qcp::read_points(w.anodic_tangent).values);
    QCOMPARE(qcp::read_points(g.cathodic_tangent).keys, qcp::read_points(w.cathodic_tangent).keys);
}

void expect_fresh(analysis_records &book, int i)
{
    const curve &r = book.record(i);
    const analysis_result &res = book.result(i);
    QVERIFY(r.name.isEmpty() && r.details.isEmpty() && r.saved_name.isEmpty() && res.folder.isEmpty());
    QCOMPARE(r.saved, uint8_t(0));
    QCOMPARE(res.Epa, 0.0f);
    QCOMPARE(res.current_anodic, uint16_t(0));
    QCOMPARE(res.colour_a, pair_colour_ch1(i % 12));
    QCOMPARE(res.colour_b, pair_colour_ch2(i % 12));
    for (QCPCurve *c : {r.ch1_curve, r.ch2_curve, r.ch1_raw_curve, res.anodic_tangent, res.cathodic_tangent}) {
        QCOMPARE(qcp::point_count(c), 0);
        QVERIFY(!c->visible());
    }
}

}  // namespace

class analysis_records_test : public QObject {
    Q_OBJECT
    std::unique_ptr<QCustomPlot> plot;
    std::unique_ptr<analysis_records> book;

private slots:
    void init()
    {
        plot = std::make_unique<QCustomPlot>();
        book = std::make_unique<analysis_records>();
        book->attach(plot.get());
    }
    void cleanup()
    {
        book.reset();
        plot.reset();
    }

    void starting_state()
    {
        for (int i : {0, 13, 255})
            expect_fresh(*book, i);
        QCOMPARE(book->result(13).anodic_tangent->scatterStyle().shape(), QCPScatterStyle::ssDisc);
        // Nothing joins the legend by being made.
        QCOMPARE(plot->legend->itemCount(), 0);
    }

    void removing_rows_keeps_the_survivors_whole_data()
    {
        QTest::addColumn<QVector<int>>("removed");
        QTest::addColumn<QVector<int>>("survivors");
        QTest::newRow("rows 1 and 3 of 5") << QVector<int>{3, 1} << QVector<int>{0, 2, 4};
        QTest::newRow("row 0") << QVector<int>{0} << QVector<int>{1, 2, 3, 4};
        QTest::newRow("last row, a stale one and a repeat") << QVector<int>{4, 9, 4} << QVector<int>{0, 1, 2, 3};
        QTest::newRow("all") << QVector<int>{0, 1, 2, 3, 4} << QVector<int>{};
    }
    void removing_rows_keeps_the_survivors_whole()
    {
        QFETCH(QVector<int>, removed);
        QFETCH(QVector<int>, survivors);
        for (int i = 0; i < 5; ++i)
            fill(*book, i, i + 1);
        QCPCurveDataContainer *moved_points = book->record(4).ch1_curve->data().data();

        const experiment_list::deletion_plan plan = book->remove(5, removed);
        QCOMPARE(plan.count_after, survivors.size());
        for (int i = 0; i < survivors.size(); ++i)
            expect(*book, i, survivors[i] + 1);
        for (int i = survivors.size(); i < 5; ++i)
            expect_fresh(*book, i);
        // The points travel in their container, not copied point by point.
        if (survivors.contains(4))
            QCOMPARE(book->record(survivors.indexOf(4)).ch1_curve->data().data(), moved_points);
    }
};

QTEST_MAIN(analysis_records_test)
#include "analysis_records_test.moc"
