// Experiment records, palette pairs, user-box rules and plot arithmetic: the pure side of the run screen.
#include <QtTest>

#include <cmath>

#include "plot/curve_display.h"
#include "plot/curve_palette.h"
#include "plot/plot_geometry.h"
#include "plot/qcp_compat.h"
#include "run/record_store.h"
#include "run/run_state.h"
#include "support/temp_workdir.h"

class run_records_test : public QObject {
    Q_OBJECT
private slots:
    void palette_pairs_by_record()
    {
        struct row { int record; uint32_t ch1; uint32_t ch2; };
        const row rows[] = {{0, 0x2abb9b, 0x239f86}, {11, 0xee9361, 0xb34a41}, {12, 0x2abb9b, 0x239f86}, {254, 0xe64d43, 0xbf3a31}};
        for (const row &r : rows) {
            const int pair = palette_pair_for_record(r.record);
            QCOMPARE(pair_colour_ch1(pair).rgb() & 0xffffff, r.ch1);
            QCOMPARE(pair_colour_ch2(pair).rgb() & 0xffffff, r.ch2);
        }
        // Electrode 1 takes the first colour of its pair, electrode 2 the second colour of its own pair.
        QCOMPARE(pair_colour_ch1(3).rgb() & 0xffffff, 0x3b99d8u);
        QCOMPARE(pair_colour_ch2(5).rgb() & 0xffffff, 0x7e8c8cu);
    }

    void records_start_value_initialised()
    {
        record_store store;
        QCOMPARE(int(store.experiment_count()), 0);
        const curve &r = store[254];
        QVERIFY(!r.ch1_colour.isValid());
        QVERIFY(!r.ch2_colour.isValid());
        QVERIFY(r.name.isEmpty() && r.details.isEmpty() && r.saved_name.isEmpty() && r.method.isEmpty() && r.directory.isEmpty());
        QCOMPARE(int(r.cycles), 1);
        QCOMPARE(int(r.hidden), 0);
        QCOMPARE(int(r.saved), 0);
        QCOMPARE(r.i_max, 0.0f);
        QCOMPARE(r.filter_hz, 0.0f);
        QVERIFY(r.ch1_curve == nullptr);
        // Chronoamperometry keeps its step count (up to 65535) in the cycle field.
        curve c;
        c.cycles = 65535;
        QCOMPARE(int(c.cycles), 65535);
        QVERIFY_EXCEPTION_THROWN(store[255], std::out_of_range);
    }

    void the_256th_experiment_is_refused()
    {
        record_store store;
        for (int i = 0; i < 255; ++i) {
            QVERIFY(!store.full());
            QCOMPARE(store.take_next(), i);
            store[i].name = QString::number(i);
        }
        QVERIFY(store.full());
        QCOMPARE(int(store.experiment_count()), 255);
        QCOMPARE(store.take_next(), -1);
        QCOMPARE(int(store.experiment_count()), 255);
        QCOMPARE(store[254].name, QStringLiteral("254"));
        QCOMPARE(store[0].name, QStringLiteral("0"));
    }

    void shrinking_resets_the_freed_records()
    {
        record_store store;
        auto *fake_curve = reinterpret_cast<QCPCurve *>(0x10);  // only compared, never used
        for (int i = 0; i < 5; ++i) {
            store.take_next();
            store[i].ch1_curve = fake_curve;
            store[i].name = QStringLiteral("e%1").arg(i);
            store[i].saved = 1;
            store[i].hidden = 1;
            store[i].cycles = 7;
            store[i].ch1_colour = Qt::red;
        }
        QVERIFY(!store.shrink_to(6));
        QVERIFY(!store.shrink_to(-1));
        QCOMPARE(int(store.experiment_count()), 5);
        QVERIFY(store.shrink_to(3));
        QCOMPARE(int(store.experiment_count()), 3);
        QCOMPARE(store[2].name, QStringLiteral("e2"));
        for (int i = 3; i < 5; ++i) {
            QVERIFY(store[i].name.isEmpty());
            QCOMPARE(int(store[i].saved), 0);
            QCOMPARE(int(store[i].hidden), 0);
            QCOMPARE(int(store[i].cycles), 1);
            QVERIFY(!store[i].ch1_colour.isValid());
            QCOMPARE(store[i].ch1_curve, fake_curve);  // curves stay with their slot
        }
        // A record taken again comes back fresh even if something wrote into it while free.
        store[3].name = QStringLiteral("stale");
        QCOMPARE(store.take_next(), 3);
        QVERIFY(store[3].name.isEmpty());
        QCOMPARE(store[3].ch1_curve, fake_curve);
        QVERIFY(store.shrink_to(0));
        QCOMPARE(int(store.experiment_count()), 0);
    }

    void user_lines_and_experiment_folder()
    {
        const user_lines out = user_lines_for(QStringLiteral("Log Out"));
        QCOMPARE(out.name, QStringLiteral("Log Out"));
        QCOMPARE(out.flag, QStringLiteral("-1"));
        const user_lines ann = user_lines_for(QStringLiteral("ann"));
        QCOMPARE(ann.name, QStringLiteral("ann"));
        QCOMPARE(ann.flag, QStringLiteral("1"));
        // Only the exact entry logs out.
        QCOMPARE(user_lines_for(QStringLiteral("log out")).flag, QStringLiteral("1"));
        QCOMPARE(experiments_dir_for(QStringLiteral("ann")), QStringLiteral("Data/User/ann/Experiments/"));
    }

    void user_box_lists_entries_case_insensitively()
    {
        temp_workdir wd;
        QVERIFY(user_box_items(QStringLiteral("Data/User")).isEmpty());  // no folder: no "Log Out" either
        QDir().mkpath(QStringLiteral("Data/User"));
        QCOMPARE(user_box_items(QStringLiteral("Data/User")), QStringList{QStringLiteral("Log Out")});
        for (const char *name : {"bob", "Alice", "carol", "Log Out"})
            QDir().mkpath(QStringLiteral("Data/User/") + QLatin1String(name));
        QDir().mkpath(QStringLiteral("Data/User/Dave"));
        wd.write_file(QStringLiteral("Data/User/Dave.xls"), "an export is not a user");
        const QStringList expected = {"Alice", "bob", "carol", "Dave", "Log Out"};
        QCOMPARE(user_box_items(QStringLiteral("Data/User")), expected);
    }

    void filter_modes_give_their_cutoffs()
    {
        const float expected[] = {-1.0f, 0.0f, 0.5f, 1.0f, 2.0f, 5.0f, 10.0f};
        for (int mode = 0; mode < 7; ++mode)
            QCOMPARE(cutoff_for_filter_mode(mode), expected[mode]);
        QCOMPARE(cutoff_for_filter_mode(-1), 0.5f);
    }

    void pointer_fractions_and_tooltip()
    {
        const QRect axis(10, 20, 200, 100);  // right 209, bottom 119
        const axis_fraction a = pointer_fraction(QPoint(10, 20), axis);
        QCOMPARE(a.x, 0.0);
        QCOMPARE(a.y, 0.0);
        const axis_fraction b = pointer_fraction(QPoint(110, 70), axis);
        QCOMPARE(b.x, 0.5);
        QCOMPARE(b.y, 0.5);
        const axis_fraction c = pointer_fraction(QPoint(0, 0), QRect());  // an unlaid-out plot must not divide by 0
        QVERIFY(std::isfinite(c.x) && std::isfinite(c.y));
        QCOMPARE(pointer_tooltip(0.0, 0.0), QStringLiteral("E: 0V , I:0\u00b5A"));
        QCOMPARE(pointer_tooltip(0.1234567, -1500000.0), QStringLiteral("E: 0.123457V , I:-1.5e+06\u00b5A"));
    }

    void pens_and_swatches()
    {
        const QPen pen = electrode_pen(QColor(0x3b99d8));
        QCOMPARE(pen.style(), Qt::SolidLine);
        QCOMPARE(pen.width(), 1);
        QCOMPARE(pen.color(), QColor(0x3b99d8));
        QCOMPARE(pen.brush().style(), Qt::SolidPattern);
        QCOMPARE(pen.capStyle(), Qt::RoundCap);
        QCOMPARE(pen.joinStyle(), Qt::RoundJoin);
        QCOMPARE(swatch_style(QColor(0x7e8c8c)), QStringLiteral(" background-color : #7e8c8c"));
        QCOMPARE(blank_swatch_style(), QStringLiteral("background-color: rgb(255,255,255);"));
    }

    void center_fits_the_selection()
    {
        const record_extent a{-0.5, 0.25, -3.0, 4.0};
        const record_extent b{-0.75, 0.1, -1.0, 9.0};

        const fitted_ranges none = fit_ranges(a, {});
        QVERIFY(!none.set_x && !none.set_y);

        const fitted_ranges both = fit_ranges(a, {a, b});
        QVERIFY(both.set_x && both.set_y);
        QCOMPARE(both.x_lower, -0.75);
        QCOMPARE(both.x_upper, 0.25);
        QCOMPARE(both.y_lower, -3.0);
        QCOMPARE(both.y_upper, 9.0);

        // The current experiment counts even when it is not among the selected ones.
        const fitted_ranges with_current = fit_ranges(b, {a});
        QCOMPARE(with_current.x_lower, -0.75);
        QCOMPARE(with_current.y_upper, 9.0);

        // A run that never left one potential keeps the x range but still fits y.
        const record_extent flat{0.2, 0.2, -1.0, 1.0};
        const fitted_ranges f = fit_ranges(flat, {flat});
        QVERIFY(!f.set_x);
        QVERIFY(f.set_y);
        QCOMPARE(f.y_lower, -1.0);
        QCOMPARE(f.y_upper, 1.0);
        const record_extent nearly_flat{0.2, 0.2 + 5e-8, 0, 1};
        QVERIFY(!fit_ranges(nearly_flat, {nearly_flat}).set_x);
        const record_extent just_wide{0.2, 0.2 + 2e-7, 0, 1};
        QVERIFY(fit_ranges(just_wide, {just_wide}).set_x);

        // A run under way: its whole span across (given either way round) though its samples cover only part of
        // it, and every curve shown beside it.
        const fitted_ranges live = fit_run_ranges({1.0, -1.0, true, {-0.2, 0.0, -5.0, 6.0}}, {b});
        QVERIFY(live.set_x && live.set_y);
        QCOMPARE(live.x_lower, -1.0);
        QCOMPARE(live.x_upper, 1.0);
        QCOMPARE(live.y_lower, -5.0);
        QCOMPARE(live.y_upper, 9.0);
        // Before its first sample, with nothing beside it, only its time across is known.
        const fitted_ranges waiting = fit_run_ranges({0.0, 600000.0, false, {}}, {});
        QVERIFY(waiting.set_x && !waiting.set_y);
        QCOMPARE(waiting.x_upper, 600000.0);

        // A re-filtered record's current extremes: those of all its drawn curves, an empty one among them.
        const run_extremes drawn = drawn_extremes({{{0.1, 0.2}, {3.0, 12.5}}, {}, {{0.1, 0.2, 0.3}, {2.0, -1.5, 4.0}}});
        QVERIFY(drawn.any);
        QCOMPARE(drawn.i_min, -1.5f);
        QCOMPARE(drawn.i_max, 12.5f);
        QVERIFY(!drawn_extremes({{}, {}}).any);
    }
};

QTEST_GUILESS_MAIN(run_records_test)
#include "run_records_test.moc"
