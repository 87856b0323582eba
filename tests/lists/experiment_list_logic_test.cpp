// Checks of the experiment list's rules: which record the details box names, deletion plans, kinds, texts, names.
#include <QtTest>

#include "lists/experiment_list_logic.h"

using namespace experiment_list;

class experiment_list_logic_test : public QObject {
    Q_OBJECT
private slots:
    void selected_row_follows_details_box_or_is_minus_one()
    {
        const QVector<int> sel{4, 1, 7};
        // Overlay: entry 0 is the summary, entries 1..3 name the selected rows in order.
        QCOMPARE(selected_row(sel, 4, 1), 4);
        QCOMPARE(selected_row(sel, 4, 2), 1);
        QCOMPARE(selected_row(sel, 4, 3), 7);
        // Summary entry current: the first selected row stands for the group.
        QCOMPARE(selected_row(sel, 4, 0), 4);
        // One entry: it names the one selected row.
        QCOMPARE(selected_row(QVector<int>{9}, 1, 0), 9);
        // No experiment at the entry: -1.
        QCOMPARE(selected_row({}, 1, 0), -1);             // nothing selected
        QCOMPARE(selected_row({}, 3, 2), -1);
        QCOMPARE(selected_row({2}, 0, -1), -1);           // empty details box
        QCOMPARE(selected_row({2, 3}, 3, -1), -1);        // box without a current entry
        QCOMPARE(selected_row({2, 3}, 4, 3), -1);         // box lists more names than are still selected
        QCOMPARE(selected_row({2, 3}, 3, 5), -1);         // index past the box
        QCOMPARE(selected_row({2, 3}, 3, 2), 3);          // last valid position still answers
    }

    void deleting_c_and_e_of_five_keeps_a_b_d()
    {
        const QStringList names{"A", "B", "C", "D", "E"};
        // The selection order must not matter: E was picked before C.
        const deletion_plan plan = plan_deletion(5, {4, 2});
        QCOMPARE(plan.deleted, (QVector<int>{2, 4}));
        QCOMPARE(plan.count_after, 3);
        QCOMPARE(plan.new_index, (QVector<int>{0, 1, -1, 2, -1}));
        QCOMPARE(plan.moves.size(), 1);
        QCOMPARE(plan.moves.first(), qMakePair(3, 2));

        QVector<QString> after(plan.count_after);
        for (int old = 0; old < names.size(); ++old)
            if (plan.new_index[old] >= 0)
                after[plan.new_index[old]] = names[old];
        QCOMPARE(after, (QVector<QString>{"A", "B", "D"}));
        // Removing C then E (at its shifted place 3) leaves the row above E's place current: D at 2.
        QCOMPARE(plan.current_after, 2);
    }

    void deletion_in_a_full_list()
    {
        {
            const deletion_plan plan = plan_deletion(255, {0});
            QCOMPARE(plan.count_after, 254);
            QCOMPARE(plan.moves.size(), 254);
            for (int old = 1; old < 255; ++old)
                QCOMPARE(plan.new_index[old], old - 1);
            QCOMPARE(plan.current_after, 0);
        }
        {
            // Deleting the newest frees index 254 and leaves 0..253 where they are.
            const deletion_plan plan = plan_deletion(255, {254});
            QCOMPARE(plan.count_after, 254);
            QVERIFY(plan.moves.isEmpty());
            QCOMPARE(plan.new_index[253], 253);
            QCOMPARE(plan.new_index[254], -1);
            QCOMPARE(plan.current_after, 253);
        }
        {
            QVector<int> every_other;
            for (int r = 0; r < 255; r += 2)
                every_other << r;
            const deletion_plan plan = plan_deletion(255, every_other);
            QCOMPARE(plan.count_after, 127);
            for (int old = 1; old < 255; old += 2)
                QCOMPARE(plan.new_index[old], old / 2);
            for (const auto &m : plan.moves)
                QVERIFY(m.second < m.first);
        }
        {
            QVector<int> all;
            for (int r = 254; r >= 0; --r)
                all << r;
            const deletion_plan plan = plan_deletion(255, all);
            QCOMPARE(plan.count_after, 0);
            QCOMPARE(plan.deleted.size(), 255);
            QCOMPARE(plan.current_after, -1);
        }
    }

    void deletion_ignores_rows_outside_the_list()
    {
        const deletion_plan plan = plan_deletion(3, {-1, 1, 1, 3, 255});
        QCOMPARE(plan.deleted, (QVector<int>{1}));
        QCOMPARE(plan.count_after, 2);
        QCOMPARE(plan.new_index, (QVector<int>{0, -1, 1}));

        const deletion_plan none = plan_deletion(3, {});
        QCOMPARE(none.count_after, 3);
        QVERIFY(none.moves.isEmpty());
        QCOMPARE(none.current_after, -1);

        QCOMPARE(plan_deletion(0, {0}).count_after, 0);
    }

    void current_row_after_deletion()
    {
        // Row 2 of 5: row 1 becomes current.
        QCOMPARE(plan_deletion(5, {2}).current_after, 1);
        // The only row: nothing is current.
        QCOMPARE(plan_deletion(1, {0}).current_after, -1);
        // Row 0 with rows left: row 0.
        QCOMPARE(plan_deletion(4, {0}).current_after, 0);
        QCOMPARE(plan_deletion(4, {0, 1, 2}).current_after, 0);
        // Top rows gone, bottom row kept.
        QCOMPARE(plan_deletion(4, {1, 2, 3}).current_after, 0);
        QCOMPARE(current_row_after_removal(3, 3), 2);
        QCOMPARE(current_row_after_removal(3, 0), -1);
    }

    void a_click_drops_rows_of_the_other_kind()
    {
        // Rows: 0 CV, 1 chrono, 2 CV, 3 amperometric, 4 DPV (unselected).
        const QStringList methods{"Cyclic Voltammetry", "Chronoamperometry", "Cyclic Voltammetry", "Amperometric",
                                  "Diff. Pulse Voltammetry"};
        QVector<bool> time_based;
        for (const QString &m : methods)
            time_based << is_time_based(m);
        QCOMPARE(time_based, (QVector<bool>{false, true, false, true, false}));

        const kind_filter f = filter_by_kind(true, time_based, {0, 1, 2, 3});
        QCOMPARE(f.x_label, QStringLiteral("Time(ms)"));
        QCOMPARE(f.deselect, (QVector<int>{0, 2}));
        QCOMPARE(f.shown, (QVector<int>{1, 3}));
        QCOMPARE(f.hidden, (QVector<int>{0, 2, 4}));
        // A potential-based click drops the time-based rows.
        const QVector<bool> kinds{true, false, false};
        const kind_filter p = filter_by_kind(false, kinds, {2, 0});
        QCOMPARE(p.x_label, QStringLiteral("Voltage (V)"));
        QCOMPARE(p.deselect, (QVector<int>{0}));
        QCOMPARE(p.shown, (QVector<int>{2}));
        QCOMPARE(p.hidden, (QVector<int>{0, 1}));
        // Stale rows in a selection are skipped, not indexed.
        const kind_filter g = filter_by_kind(false, kinds, {7, -1, 1});
        QCOMPARE(g.shown, (QVector<int>{1}));
        QVERIFY(g.deselect.isEmpty());
    }

    void details_texts_by_view_and_selection()
    {
        const details_view overlay = details_for(false, "B", {"A", "C", "B"});
        QVERIFY(overlay.summary);
        QVERIFY(!overlay.keep);
        QCOMPARE(overlay.box_entries, (QStringList{"3 Experiments", "A", "C", "B"}));
        QCOMPARE(overlay.lines, (QStringList{"3 experiments are selected:", "A", "C", "B"}));

        const details_view nothing = details_for(false, "B", {});
        QVERIFY(nothing.keep);

        const details_view one = details_for(false, "C", {"C"});
        QVERIFY(!one.summary);
        QCOMPARE(one.box_entries, (QStringList{"C"}));

        // The single view names the current row, however many rows happen to be selected.
        const details_view single = details_for(true, "D", {"A", "D"});
        QVERIFY(!single.summary);
        QVERIFY(!single.keep);
        QCOMPARE(single.box_entries, (QStringList{"D"}));

        QCOMPARE(summary_box_entry(255), QStringLiteral("255 Experiments"));
        QCOMPARE(summary_heading(2), QStringLiteral("2 experiments are selected:"));
    }

    void electrode_flags_must_agree_on_both()
    {
        QVERIFY(flags_agree({{true, false}, {true, false}, {true, false}}));
        QVERIFY(flags_agree({{false, false}}));
        QVERIFY(!flags_agree({{true, true}, {true, false}}));
        QVERIFY(!flags_agree({{true, true}, {true, true}, {false, true}}));
    }

    void last_row_named_is_exact_and_last()
    {
        const QStringList rows{"Run", "run", "Run_1", "Run"};
        QCOMPARE(last_row_named(rows, "Run"), 3);
        QCOMPARE(last_row_named(rows, "run"), 1);
        QCOMPARE(last_row_named(rows, "Ru"), -1);
        QCOMPARE(last_row_named({}, "Run"), -1);
    }
};

QTEST_GUILESS_MAIN(experiment_list_logic_test)
#include "experiment_list_logic_test.moc"
