// The run screen's right-click menus: the enabling and check-mark rules, and the menus the window shows.
#include <QtTest>

#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <limits>
#include <qcustomplot.h>

#include "lists/context_menu_rules.h"
#include "run/mainwindow.h"
#include "support/temp_workdir.h"

using namespace context_menu;

namespace {

list_row row(bool selected, bool saved = true, float hz = 0, const QString &dir = QStringLiteral("Data/x"))
{
    list_row r;
    r.selected = selected;
    r.saved = saved;
    r.filter_hz = hz;
    r.directory = dir;
    return r;
}

// The entries outside the submenu, in menu order.
std::array<bool, 5> actions_of(const list_menu &m)
{
    return {{m.select_all, m.unselect_all, m.clear_all, m.clear_all_unsaved, m.open_file_location}};
}

// Runs `inspect` on the menu `open` pops up, then closes it, so that QMenu::exec returns.
void with_popup(const std::function<void()> &open, const std::function<void(QMenu *)> &inspect)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (menu) {
            poll.stop();
            seen = true;
            inspect(menu);
            menu->close();
        } else if (++tries > 200) {
            // Never leave the test hanging in exec: close whatever menu there is.
            poll.stop();
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<QMenu *>(w))
                    w->close();
        }
    });
    poll.start();
    open();
    QVERIFY2(seen, "no menu popped up");
}

QStringList texts_of(const QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        texts << a->text();
    return texts;
}

QAction *action_named(const QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

}  // namespace

class context_menu_test : public QObject {
    Q_OBJECT
private slots:
    // rules
    void empty_list_disables_everything()
    {
        screen_state s;
        const list_menu m = list_menu_for(s);
        for (bool enabled : actions_of(m))
            QVERIFY(!enabled);
        QVERIFY(!m.filter_submenu);
        QCOMPARE(m.checked_filter, -1);

        // A current row past the end of the list is no current row.
        s.current_row = 0;
        QVERIFY(!list_menu_for(s).filter_submenu);
    }

    void no_current_row_leaves_only_clear_all_unsaved()
    {
        screen_state s;
        s.rows = {row(true, true, 1.0f), row(false, false, 1.0f)};
        s.current_row = -1;
        list_menu m = list_menu_for(s);
        QCOMPARE(actions_of(m), (std::array<bool, 5>{{false, false, false, true, false}}));
        QVERIFY(!m.filter_submenu);
        QCOMPARE(m.checked_filter, -1);

        // Every record saved: nothing at all is left.
        s.rows[1].saved = true;
        m = list_menu_for(s);
        QVERIFY(!m.clear_all_unsaved);

        // With a current row the unsaved record may be any row, selected or not.
        s.current_row = 0;
        s.rows[1].saved = false;
        m = list_menu_for(s);
        QCOMPARE(actions_of(m), (std::array<bool, 5>{{true, true, true, true, true}}));
        QVERIFY(m.filter_submenu);

        // A current row left unselected is not drawn: there is no record on show whose folder could be opened.
        s.current_row = 1;
        QCOMPARE(actions_of(list_menu_for(s)), (std::array<bool, 5>{{true, true, true, true, false}}));
    }

    void common_cutoff_of_the_selection()
    {
        screen_state s;
        s.current_row = 0;

        s.rows = {row(true, true, 1.0f), row(true, true, 2.0f)};
        QCOMPARE(common_cutoff(s), -1.0f);
        QCOMPARE(list_menu_for(s).checked_filter, -1);

        s.rows = {row(true, true, 0.0f), row(true, true, 0.0f), row(false, true, 5.0f)};
        QCOMPARE(list_menu_for(s).checked_filter, int(raw_data));

        // Only selected rows count; the current row stands alone when nothing is selected.
        s.rows = {row(false, true, 2.0f), row(false, true, 10.0f)};
        QCOMPARE(list_menu_for(s).checked_filter, int(hz_2));

        // The current row's own cut-off decides, even when it is not among the agreeing selection.
        s.rows = {row(false, true, 2.0f), row(true, true, 5.0f), row(true, true, 5.0f)};
        QCOMPARE(list_menu_for(s).checked_filter, -1);

        const float nan = std::numeric_limits<float>::quiet_NaN();
        s.rows = {row(true, true, nan), row(true, true, nan)};
        QCOMPARE(list_menu_for(s).checked_filter, -1);
        s.rows = {row(true, true, 1.0f), row(true, true, nan)};
        QCOMPARE(list_menu_for(s).checked_filter, -1);
        // A lone unselected NaN current row agrees with nothing either.
        s.rows = {row(false, true, nan)};
        QCOMPARE(list_menu_for(s).checked_filter, -1);
    }

    void cutoff_windows_data()
    {
        QTest::addColumn<float>("hz");
        QTest::addColumn<int>("entry");
        QTest::newRow("raw") << 0.0f << int(raw_data);
        QTest::newRow("small negative") << -0.4f << int(raw_data);
        QTest::newRow("below -0.5") << -0.6f << -1;
        QTest::newRow("0.5") << 0.5f << int(hz_0_5);
        QTest::newRow("0.49 edge") << 0.49f << -1;
        QTest::newRow("1.005") << 1.005f << int(hz_1);
        QTest::newRow("10") << 10.0f << int(hz_10);
        QTest::newRow("10.01 edge") << 10.01f << -1;
        QTest::newRow("3") << 3.0f << -1;
    }

    void cutoff_windows()
    {
        QFETCH(float, hz);
        QFETCH(int, entry);
        screen_state s;
        s.rows = {row(true, true, hz)};
        s.current_row = 0;
        QCOMPARE(list_menu_for(s).checked_filter, entry);
    }

    void run_disables_filter_and_clear_entries()
    {
        screen_state s;
        s.rows = {row(true, true, 1.0f), row(false, false, 1.0f)};
        s.current_row = 0;
        s.run_in_progress = true;
        const list_menu m = list_menu_for(s);
        for (bool enabled : m.filter_enabled)
            QVERIFY(!enabled);
        QVERIFY(!m.clear_all);
        QVERIFY(!m.clear_all_unsaved);
        // The submenu still opens and still shows the current cut-off.
        QVERIFY(m.filter_submenu);
        QCOMPARE(m.checked_filter, int(hz_1));
        QVERIFY(m.select_all && m.unselect_all && m.open_file_location);

        s.run_in_progress = false;
        const list_menu idle = list_menu_for(s);
        for (bool enabled : idle.filter_enabled)
            QVERIFY(enabled);
        QVERIFY(idle.clear_all && idle.clear_all_unsaved);
    }

    void overlay_and_missing_folder()
    {
        screen_state s;
        s.rows = {row(true, true, 0, QString()), row(false, true, 0, QStringLiteral("Data/User/a/Experiments"))};
        s.current_row = 0;
        s.overlay_checked = true;
        list_menu m = list_menu_for(s);
        QCOMPARE(actions_of(m), (std::array<bool, 5>{{false, false, true, false, false}}));
        QVERIFY(m.filter_submenu);

        // Single view: the current row is the one selected.
        s.current_row = 1;
        s.rows[0].selected = false;
        s.rows[1].selected = true;
        s.overlay_checked = false;
        m = list_menu_for(s);
        QVERIFY(m.select_all && m.unselect_all && m.open_file_location);
    }
    // the window's menus
    void plot_menu_flips_the_legend_entry()
    {
        temp_workdir dir;
        MainWindow window;
        auto *plot = window.findChild<QCustomPlot *>(QStringLiteral("widget"));
        QVERIFY(plot);
        QVERIFY(plot->legend->visible());

        // Through the widget's own request signal, as a right-click would send it.
        with_popup([&] { emit plot->customContextMenuRequested(QPoint(5, 5)); },
                   [](QMenu *menu) {
                       QCOMPARE(menu->title(), QStringLiteral("Context menu"));
                       QCOMPARE(texts_of(menu), (QStringList{"Legend Off", "Set Axis"}));
                       action_named(menu, QStringLiteral("Legend Off"))->trigger();
                   });
        QVERIFY(!plot->legend->visible());

        with_popup([&] { window.ShowContextMenu(QPoint(5, 5)); },
                   [](QMenu *menu) {
                       QCOMPARE(texts_of(menu), (QStringList{"Legend On", "Set Axis"}));
                       QVERIFY(menu->actions().at(1)->isEnabled());
                   });
        // Closing the menu without a choice changes nothing.
        QVERIFY(!plot->legend->visible());
    }

    void list_menu_follows_the_rules_and_triggers_slots()
    {
        temp_workdir dir;
        MainWindow window;
        auto *list = window.findChild<QListWidget *>(QStringLiteral("listWidget"));
        auto *overlay = window.findChild<QToolButton *>(QStringLiteral("Open_Experiment_5"));
        QVERIFY(list && overlay);
        record_store &records = window.experiment_records();
        for (const char *name : {"A", "B"}) {
            QVERIFY(window.reserve_next_record() >= 0);
            window.add_opened_experiment(QString::fromLatin1(name));
        }
        records[0].filter_hz = 1.0f;
        records[1].filter_hz = 1.0f;
        records[0].directory = QStringLiteral("Data/User/a/Experiments/");
        records[1].saved = 0;
        if (overlay->isChecked())
            overlay->click();
        window.unselect_all();
        list->setCurrentRow(0);
        list->item(0)->setSelected(true);

        with_popup([&] { emit list->customContextMenuRequested(QPoint(2, 2)); },
                   [](QMenu *menu) {
                       QCOMPARE(texts_of(menu), (QStringList{"Select All", "Unselect All", "Clear All",
                                                             "Clear All Unsaved", "Filter", "Open File Location"}));
                       for (QAction *a : menu->actions())
                           QVERIFY2(a->isEnabled(), qPrintable(a->text()));
                       QMenu *filter = menu->actions().at(4)->menu();
                       QVERIFY(filter);
                       QCOMPARE(texts_of(filter), (QStringList{"Raw Data", "0.5Hz", "1Hz", "2Hz", "5Hz", "10Hz"}));
                       for (QAction *a : filter->actions()) {
                           QVERIFY(a->isCheckable());
                           QCOMPARE(a->isChecked(), a->text() == QLatin1String("1Hz"));
                       }
                       action_named(menu, QStringLiteral("Select All"))->trigger();
                   });
        QVERIFY(list->item(0)->isSelected());
        QVERIFY(list->item(1)->isSelected());

        // The second record has no folder: its row disables "Open File Location". Triggering "Clear All Unsaved"
        // takes the unsaved record away.
        list->setCurrentRow(1);
        with_popup([&] { window.show_select_menu(QPoint(2, 2)); },
                   [](QMenu *menu) {
                       QVERIFY(!action_named(menu, QStringLiteral("Open File Location"))->isEnabled());
                       action_named(menu, QStringLiteral("Clear All Unsaved"))->trigger();
                   });
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("A"));

        // Only a run under way locks the list's entries (the rules above); a Stop button left enabled without
        // one locks nothing.
        auto *stop = window.findChild<QToolButton *>(QStringLiteral("Stop"));
        QVERIFY(stop);
        stop->setEnabled(true);
        QVERIFY(!window.run_in_progress());
        list->setCurrentRow(0);
        with_popup([&] { window.show_select_menu(QPoint(2, 2)); },
                   [](QMenu *menu) {
                       QVERIFY(action_named(menu, QStringLiteral("Clear All"))->isEnabled());
                       QMenu *filter = action_named(menu, QStringLiteral("Filter"))->menu();
                       for (QAction *a : filter->actions())
                           QVERIFY2(a->isEnabled(), qPrintable(a->text()));
                   });
    }
};

QTEST_MAIN(context_menu_test)
#include "context_menu_test.moc"
