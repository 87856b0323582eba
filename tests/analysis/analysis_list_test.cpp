// The analysis window's list: overlay, single view and hiding under a multiple selection, values and renames,
// deleting and clearing with the gaps closed, the two right-click menus, the axis dialog and the legend drag.
#include <QtTest>

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <functional>
#include <memory>

#include "analysis/qv_analysis_window.h"
#include "analysis_window_fixtures.h"
#include "dialogs/dialog_warning_delete_analysis.h"
#include "dialogs/setaxis.h"
#include "support/list_rows.h"

using namespace analysis_fixtures;

namespace {

void click_row(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void send_mouse(QWidget *target, QEvent::Type type, QPoint pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Runs `inspect` on the menu `open` pops up, then closes it so that QMenu::exec returns.
void with_popup(const std::function<void()> &open, const std::function<void(QMenu *)> &inspect)
{
    bool seen = false;
    QTimer::singleShot(20, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            seen = true;
            inspect(menu);
            menu->close();
        }
    });
    open();
    QVERIFY2(seen, "no menu popped up");
}

}  // namespace

class analysis_list_test : public QObject {
    Q_OBJECT
    std::unique_ptr<QCustomPlot> source;
    QPointer<qv_analysis_window> w;
    QListWidget *list = nullptr;

    // Analyses A0 .. A(n-1) of the one received experiment, each selected as it is made.
    void make(int n)
    {
        for (int i = 0; i < n; ++i)
            analyse(w, QStringLiteral("A%1").arg(i));
    }
    QVector<int> selected() const
    {
        QVector<int> rows;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                rows << i;
        return rows;
    }
    QStringList details() const { return rows(child<QListWidget>(w, "details")); }
    QStringList legend_names() const
    {
        QStringList names;
        for (const QCPCurve *c : legend_curves(w))
            names << c->name();
        return names;
    }
    QCustomPlot *plot() const { return child<QCustomPlot>(w, "widget2"); }
    // A0 .. A2 with Epa 10, 20, 30: rows 0 and 2 selected and row 0 current, or row 0 alone in the single view.
    void three_with_row_1_clicked_out(bool single)
    {
        make(3);
        for (int r = 0; r < 3; ++r)
            w->analyses().result(r).Epa = 10.0f * float(r + 1);
        click_row(list, 1);
        if (single)
            child<QToolButton>(w, "Open_Experiment_6")->click();
    }
    // Tangent lines on show with points to draw, of one row or of all.
    int drawn_tangents(int row = -1) const
    {
        int n = 0;
        for (int i = 0; i < list->count(); ++i)
            for (const QCPCurve *t : {w->analyses().result(i).anodic_tangent, w->analyses().result(i).cathodic_tangent})
                n += (row < 0 || row == i) && t->visible() && qcp::point_count(t) > 0;
        return n;
    }

private slots:
    void init()
    {
        source = std::make_unique<QCustomPlot>();
        w = new qv_analysis_window(nullptr);
        w->get_from_experiment(voltammogram(source.get(), "CV"));
        list = child<QListWidget>(w, "recent_analyses");
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }

    void cleanup()
    {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != w && top->isVisible())
                top->close();
        delete w.data();
        destroy_deferred();
        source.reset();
    }

    void long_names_are_cut_in_the_middle_and_shown_whole_on_hover()
    {
        const QStringList names{"Analysis_20261207_long_cyclic_run_on_WE1_1", "Analysis_20261207_long_cyclic_run_on_WE1_2"};
        for (const QString &name : names)
            analyse(w, name);
        QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
        for (int row : {0, 1}) {
            QTRY_VERIFY_WITH_TIMEOUT(row_fits_the_list(list, row), 20000);
            QCOMPARE(hovered_row_tip(list, row), names[row]);
        }
    }

    void overlay_single_view_and_hiding_under_a_multiple_selection()
    {
        make(2);
        w->on_recent_analyses_itemClicked(list->currentItem());
        auto *box = child<QComboBox>(w, "details_box");
        analyse(w, "A2");  // a row Analyze adds to the overlay counts in its summary at once
        QCOMPARE(items(box), (QStringList{"3 Analysis", "A0", "A1", "A2"}));
        QCOMPARE(selected(), (QVector<int>{0, 1, 2}));
        QCOMPARE(visible_curves(w).size(), 9);  // three cycles, each with its own two tangents
        w->on_recent_analyses_itemClicked(list->currentItem());
        QCOMPARE(items(box), (QStringList{"3 Analysis", "A0", "A1", "A2"}));
        QCOMPARE(details().first(), QStringLiteral("3 analysis are selected:"));
        QCOMPARE(visible_curves(w).size(), 9);
        QCOMPARE(legend_curves(w).size(), 3);

        // Hidden analyses stay hidden through later clicks, and still have their legend entries.
        auto *hide = child<QToolButton>(w, "Open_Experiment_2");
        hide->click();
        QVERIFY(visible_curves(w).isEmpty());
        click_row(list, 1);  // the clicked row goes out of the selection: the first one still in it takes over
        QCOMPARE(selected(), (QVector<int>{0, 2}));
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(w->analyses().record(0).ch1_shown, uint8_t(0));
        QCOMPARE(analysis_rows(w, legend_curves(w)), (QVector<int>{0, 2}));
        QVERIFY(visible_curves(w).isEmpty());
        QVERIFY(hide->isChecked());
        click_row(list, 2);
        QCOMPARE(selected(), QVector<int>{0});
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(items(box), QStringList{"A0"});
        hide->click();
        QCOMPARE(visible_curves(w).size(), 3);

        // The single view keeps the current row alone; the overlay view changes no selection.
        click_row(list, 1);
        click_row(list, 2);
        QCOMPARE(selected(), (QVector<int>{0, 1, 2}));
        auto *single = child<QToolButton>(w, "Open_Experiment_6");
        single->click();
        QCOMPARE(selected(), QVector<int>{list->currentRow()});
        QCOMPARE(items(box), QStringList{list->currentItem()->text()});
        QCOMPARE(analysis_rows(w, legend_curves(w)), QVector<int>{list->currentRow()});
        single->click();
        QCOMPARE(list->selectionMode(), QAbstractItemView::MultiSelection);
        QCOMPARE(selected().size(), 1);

        // Clicking the only selected entry leaves nothing drawn and no details.
        click_row(list, list->currentRow());
        QVERIFY(selected().isEmpty());
        QVERIFY(visible_curves(w).isEmpty() && legend_curves(w).isEmpty());
        QVERIFY(details().isEmpty());
        QCOMPARE(box->count(), 0);
    }

    // Analysing a hidden analysis again draws it, and Hide/Show then says it is shown, whatever analysed it.
    void reanalysis_shows_a_hidden_analysis_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("slider");  // moved one step; none: the Analyze action
        QTest::newRow("Peaks, anchor slider") << 0 << "anodic";
        QTest::newRow("Peaks, Analyze") << 0 << "";
        QTest::newRow("Pearson's RR, threshold slider") << 1 << "slider_rate";
    }
    void reanalysis_shows_a_hidden_analysis()
    {
        QFETCH(int, method);
        QFETCH(QString, slider);
        analyse(w, "A0", method);
        auto *hide = child<QToolButton>(w, "Open_Experiment_2");
        hide->click();
        QVERIFY(hide->isChecked() && visible_curves(w).isEmpty());
        if (slider.isEmpty())
            w->on_actionShow_Peaks_triggered();
        else
            QTest::keyClick(child<QSlider>(w, qPrintable(slider)), Qt::Key_Right);
        QVERIFY(w->analyses().record(0).ch1_curve->visible());
        QCOMPARE(w->analyses().record(0).ch1_shown, uint8_t(1));
        QVERIFY(!hide->isChecked());
    }

    // An analysis that finds no tangent draws none, in either method, while the overlay draws the other
    // selected analysis with its own; with two selected, neither is offered to the save buttons.
    void an_analysis_without_tangents_draws_none_data()
    {
        QTest::addColumn<int>("method");
        QTest::newRow("Peaks on a cycle too short for tangents") << 0;
        QTest::newRow("Pearson's RR accepting no window") << 1;
    }

    void an_analysis_without_tangents_draws_none()
    {
        QFETCH(int, method);
        make(1);
        QCOMPARE(drawn_tangents(), 2);
        child<QLineEdit>(w, "analysis_name")->setText("B");
        if (method == 1) {
            const QSignalBlocker held(child<QSlider>(w, "slider_sample"));
            child<QSlider>(w, "slider_sample")->setValue(1000);
        }
        {
            const QSignalBlocker held(child<QComboBox>(w, "Method_2"));
            child<QComboBox>(w, "Method_2")->setCurrentIndex(method);
        }
        if (method == 0) {
            curve few = voltammogram(source.get(), "few");
            qcp::set_points(few.ch1_curve, {-0.1, 0.0, 0.1, 0.0}, {1, 3, 2, 1});
            w->get_from_experiment(few);
            const QSignalBlocker held(child<QComboBox>(w, "Experiment_2B_Analyzed"));
            child<QComboBox>(w, "Experiment_2B_Analyzed")->setCurrentIndex(1);
        }
        w->on_Stop_clicked();  // a new row, with every slider on
        QCOMPARE(list->currentItem()->text(), QStringLiteral("B"));
        QCOMPARE(selected(), (QVector<int>{0, 1}));
        QCOMPARE(child<QLabel>(w, "epa")->text(), QStringLiteral("0"));
        QCOMPARE(drawn_tangents(1), 0);
        QCOMPARE(drawn_tangents(0), 2);
        QVERIFY(!child<QToolButton>(w, "Save_Analysis")->isEnabled());
        QVERIFY(!child<QToolButton>(w, "Save_Analysis_3")->isEnabled());
        // Shown alone through the list, the earlier analysis has its tangents and values.
        click_row(list, 1);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(drawn_tangents(), 2);
        QVERIFY(child<QLabel>(w, "epa")->text() != QStringLiteral("0"));
    }

    // A key that moves the highlight shows the row it lands on, as a click would: its name and values, and in
    // the overlay it joins the rows drawn.
    void keys_show_the_row_they_pick_data()
    {
        QTest::addColumn<bool>("single");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("row");
        QTest::addColumn<QVector<int>>("selection");
        QTest::newRow("overlay, down to a row out of the selection") << false << int(Qt::Key_Down) << 1
                                                                    << QVector<int>{0, 1, 2};
        QTest::newRow("overlay, End") << false << int(Qt::Key_End) << 2 << QVector<int>{0, 2};
        QTest::newRow("overlay, Space unselects the current row") << false << int(Qt::Key_Space) << 2
                                                                  << QVector<int>{2};
        QTest::newRow("single view, Page Down") << true << int(Qt::Key_PageDown) << 2 << QVector<int>{2};
        QTest::newRow("single view, down") << true << int(Qt::Key_Down) << 1 << QVector<int>{1};
    }
    void keys_show_the_row_they_pick()
    {
        QFETCH(bool, single);
        QFETCH(int, key);
        QFETCH(int, row);
        QFETCH(QVector<int>, selection);
        three_with_row_1_clicked_out(single);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key(key));
        QCOMPARE(list->currentRow(), row);
        QCOMPARE(selected(), selection);
        QCOMPARE(child<QLineEdit>(w, "analysis_name")->text(), list->item(row)->text());
        QCOMPARE(child<QLabel>(w, "epa")->text(), QString::number(10 * (row + 1)));
        QCOMPARE(drawn_tangents(row), 2);
    }

    // Any mouse button, and a press dragged across rows, show what they leave selected as a click does: the rows
    // selected are the rows drawn, the current row's name and values on show, a right-click's menu acting on it.
    void every_button_shows_the_row_it_reaches_data()
    {
        QTest::addColumn<bool>("single");
        QTest::addColumn<int>("button");  // Qt::NoButton: a left press dragged from row 0
        QTest::addColumn<int>("row");
        QTest::newRow("single view, middle-click") << true << int(Qt::MiddleButton) << 2;
        QTest::newRow("single view, drag") << true << int(Qt::NoButton) << 1;
        QTest::newRow("overlay, right-click and Escape") << false << int(Qt::RightButton) << 1;
        QTest::newRow("overlay, drag") << false << int(Qt::NoButton) << 1;
    }
    void every_button_shows_the_row_it_reaches()
    {
        QFETCH(bool, single);
        QFETCH(int, button);
        QFETCH(int, row);
        three_with_row_1_clicked_out(single);
        auto *name = child<QLineEdit>(w, "analysis_name");
        if (button == Qt::NoButton)
            drag_across_rows(list, 0, row);
        else
            click_row_with(list, row, Qt::MouseButton(button),
                           [&] { QCOMPARE(name->text(), list->currentItem()->text()); });
        QVERIFY(list->currentItem() && list->currentItem()->isSelected());
        if (single || button != Qt::NoButton)  // an overlay drag toggles the rows it crosses, its last one too
            QCOMPARE(list->currentRow(), row);
        QCOMPARE(name->text(), list->currentItem()->text());
        QCOMPARE(child<QLabel>(w, "epa")->text(), QString::number(10 * (list->currentRow() + 1)));
        QVector<int> drawn;
        for (int r = 0; r < 3; ++r)
            if (drawn_tangents(r) == 2)
                drawn << r;
        QCOMPARE(drawn, selected());
    }

    void showing_the_selection_keeps_the_callers_blocks()
    {
        make(2);
        list->item(1)->setSelected(false);  // current, now unselected: the refresh moves the focus
        const QSignalBlocker held(list);
        w->on_recent_analyses_itemClicked(list->currentItem());
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->signalsBlocked());
    }

    void labels_show_the_stored_values_cut()
    {
        make(1);
        analysis_result &res = w->analyses().result(0);
        res.Epa = 245.678f, res.Ipa = 99.84f, res.Epc = -12.345f, res.Ipc = 1e30f;
        w->on_recent_analyses_itemClicked(list->item(0));
        QStringList shown;
        for (const char *label : {"epa", "ipa", "epc", "ipc"})
            shown << child<QLabel>(w, label)->text();
        QCOMPARE(shown, (QStringList{"245.67", "99.84", "-12.34", "1e+30"}));
    }

    void renames_are_checked_like_file_names()
    {
        make(1);
        curve &a = w->analyses().record(0);
        a.saved = 1;
        QListWidgetItem *item = list->item(0);
        item->setText("A0");  // its own name: nothing changes
        QCOMPARE(a.saved, uint8_t(1));
        w->on_recent_analyses_itemDoubleClicked(item);
        QVERIFY(item->flags() & Qt::ItemIsEditable);
        for (const char *bad : {"a/b", "..", " ", ""}) {
            item->setText(bad);
            QCOMPARE(item->text(), QStringLiteral("A0"));
            QCOMPARE(a.saved, uint8_t(1));
        }
        item->setText("peak one");
        QCOMPARE(a.name, QStringLiteral("peak one"));
        QCOMPARE(a.saved, uint8_t(0));
        QVERIFY(item->font().italic());
        QCOMPARE(a.ch1_curve->name(), QStringLiteral("peak one"));
        QCOMPARE(items(child<QComboBox>(w, "details_box")), QStringList{"peak one"});
    }

    // A double-click opens the name for editing and changes neither the selection nor the current row: a
    // renamed analysis that was drawn stays drawn and in the legend, under its new name.
    void double_click_renames_in_place_data()
    {
        QTest::addColumn<int>("analyses");
        QTest::addColumn<int>("unselected");  // a row clicked out of the selection first, or -1
        QTest::addColumn<int>("row");
        QTest::newRow("the only analysis") << 1 << -1 << 0;
        QTest::newRow("a selected row that is not current") << 3 << -1 << 1;
        QTest::newRow("a row out of the selection") << 3 << 1 << 1;
    }
    void double_click_renames_in_place()
    {
        QFETCH(int, analyses);
        QFETCH(int, unselected);
        QFETCH(int, row);
        make(analyses);
        if (unselected >= 0)
            click_row(list, unselected);
        const QVector<int> before = selected();
        const int current = list->currentRow();
        // As a window system delivers it: a click, then the second press as a double-click, then its release.
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(selected(), before);
        QCOMPARE(list->currentRow(), current);
        auto *editor = list->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText("renamed");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(list->item(row)->text(), QStringLiteral("renamed"), 20000);  // committed later
        QCOMPARE(selected(), before);
        QCOMPARE(legend_names().contains("renamed"), before.contains(row));
        QCOMPARE(w->analyses().record(row).ch1_curve->visible(), before.contains(row));
        // The field names the row on show, renamed or not, so that a slider moves that analysis and no new one.
        QCOMPARE(child<QLineEdit>(w, "analysis_name")->text(), list->currentItem()->text());
        QTest::keyClick(child<QSlider>(w, "anodic"), Qt::Key_Right);
        QCOMPARE(list->count(), analyses);
        QCOMPARE(int(w->analyses().result(current).current_anodic), child<QSlider>(w, "anodic")->value());
    }

    // The legend reads as the list does, whichever row was selected or analysed last.
    void legend_follows_the_list_order()
    {
        make(3);
        click_row(list, 1);  // out of the selection
        child<QLineEdit>(w, "analysis_name")->setText("A1");
        w->on_Stop_clicked();  // analysed again, which selects it again
        QCOMPARE(legend_names(), (QStringList{"A0", "A1", "A2"}));
        w->on_recent_analyses_itemClicked(list->currentItem());
        QCOMPARE(legend_names(), (QStringList{"A0", "A1", "A2"}));
    }

    void deleting_rows_1_and_3_of_5_keeps_the_others_whole()
    {
        make(5);
        for (int i = 0; i < 5; ++i) {
            w->analyses().result(i).folder = QStringLiteral("F%1").arg(i);
            w->analyses().result(i).current_anodic = uint16_t(100 + i);
            w->analyses().record(i).rate = uint16_t(10 * i);
            w->analyses().record(i).ch1_shown = uint8_t(i != 2);
            w->analyses().record(i).details = QStringList{QStringLiteral("D%1").arg(i)};
            list->item(i)->setSelected(true);
            w->update_color(uint8_t(i), uint8_t(i + 1));
            list->item(i)->setSelected(false);
        }
        // Tangent lines of their own, so that a line left behind by the compaction shows.
        for (int i = 0; i < 5; ++i) {
            qcp::set_points(w->analyses().result(i).anodic_tangent, {0.1 * i, 0.2}, {double(i), 1.0});
            qcp::set_points(w->analyses().result(i).cathodic_tangent, {-0.1 * i, -0.2}, {-double(i), -1.0});
        }
        const QCPCurveDataContainer *points_of_4 = w->analyses().record(4).ch1_curve->data().data();
        list->clearSelection();
        list->item(1)->setSelected(true);
        list->setCurrentRow(3, QItemSelectionModel::Select);  // on show, as the last row a click selects
        QSignalSpy count(w, &qv_analysis_window::analysis_number);
        child<QToolButton>(w, "Delete_Analysis_2")->click();
        dialog_warning_delete_analysis *warning = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<dialog_warning_delete_analysis *>(top); d && d->isVisible())
                warning = d;
        QVERIFY(warning);
        QCOMPARE(count.at(0).at(0).toInt(), 2);
        QCOMPARE(warning->findChild<QLabel *>("label")->text(), QStringLiteral("Do you want to delete these analyses?"));
        warning->findChild<QPushButton *>("pushButton_2")->click();

        QCOMPARE(rows(list), (QStringList{"A0", "A2", "A4"}));
        for (int row = 0; row < 3; ++row) {
            const int was = 2 * row;
            QCOMPARE(w->analyses().record(row).name, QStringLiteral("A%1").arg(was));
            QCOMPARE(w->analyses().result(row).folder, QStringLiteral("F%1").arg(was));
            QCOMPARE(w->analyses().result(row).current_anodic, uint16_t(100 + was));
            QCOMPARE(w->analyses().record(row).rate, uint16_t(10 * was));
            QCOMPARE(w->analyses().record(row).ch1_shown, uint8_t(was != 2));
            QCOMPARE(w->analyses().record(row).details, QStringList{QStringLiteral("D%1").arg(was)});
            QCOMPARE(w->analyses().result(row).colour_b, pair_colour_ch2(was + 1));
            QCOMPARE(w->analyses().result(row).anodic_tangent->pen().color(), pair_colour_ch1(was));
            QCOMPARE(qcp::read_points(w->analyses().result(row).anodic_tangent).values,
                     (QVector<double>{double(was), 1.0}));
            QCOMPARE(qcp::read_points(w->analyses().result(row).cathodic_tangent).keys,
                     (QVector<double>{-0.1 * was, -0.2}));
        }
        // The points moved in their container, not point by point.
        QCOMPARE(w->analyses().record(2).ch1_curve->data().data(), points_of_4);
        for (int freed : {3, 4}) {
            const curve &r = w->analyses().record(freed);
            QVERIFY(r.name.isEmpty() && r.details.isEmpty() && w->analyses().result(freed).folder.isEmpty());
            QCOMPARE(r.saved, uint8_t(0));
            QCOMPARE(w->analyses().result(freed).current_anodic, uint16_t(0));
            QCOMPARE(w->analyses().result(freed).colour_a, pair_colour_ch1(freed));
            QCOMPARE(qcp::point_count(r.ch1_curve) + qcp::point_count(w->analyses().result(freed).anodic_tangent), 0);
        }
        // The row above the last one removed is current and alone on the plot.
        QCOMPARE(list->currentRow(), 1);
        QCOMPARE(analysis_rows(w, legend_curves(w)), QVector<int>{1});
        QCOMPARE(visible_curves(w).size(), 3);
    }

    // The analysis that takes row 0 is loaded into the name field and the controls: analysing again
    // recomputes it rather than bringing the deleted one back.
    void deleting_row_0_shows_the_new_row_0()
    {
        make(3);
        list->clearSelection();
        click_row(list, 0);
        QCOMPARE(selected(), QVector<int>{0});
        QCOMPARE(child<QLineEdit>(w, "analysis_name")->text(), QStringLiteral("A0"));
        w->delete_analysis();
        QCOMPARE(rows(list), (QStringList{"A1", "A2"}));
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(child<QLineEdit>(w, "analysis_name")->text(), QStringLiteral("A1"));
        QCOMPARE(items(child<QComboBox>(w, "details_box")), QStringList{"A1"});
        w->on_Stop_clicked();
        QCOMPARE(rows(list), (QStringList{"A1", "A2"}));
    }

    // An emptied list shows no values of what was in it, and the next analysis can be made at once.
    void emptied_list_shows_no_values_data()
    {
        QTest::addColumn<bool>("clear_all");
        QTest::newRow("clear all") << true;
        QTest::newRow("deleting the last analysis") << false;
    }

    void emptied_list_shows_no_values()
    {
        QFETCH(bool, clear_all);
        make(2);
        QVERIFY(!child<QLabel>(w, "epa")->text().isEmpty());
        QVERIFY(!child<QToolButton>(w, "Stop")->isEnabled());
        if (clear_all) {
            w->clear_all();
        } else {
            list->selectAll();
            w->delete_analysis();
        }
        QCOMPARE(list->count(), 0);
        for (const char *label : {"epa", "ipa", "epc", "ipc"})
            QCOMPARE(child<QLabel>(w, label)->text(), QString());
        QVERIFY(details().isEmpty());
        QVERIFY(child<QToolButton>(w, "Stop")->isEnabled());
        QVERIFY(!child<QToolButton>(w, "Save_Analysis")->isEnabled());
        child<QToolButton>(w, "Stop")->click();
        QCOMPARE(list->count(), 1);
    }

    void clearing_unsaved_keeps_the_saved()
    {
        make(3);
        w->analyses().record(2).saved = 1;
        w->analyses().result(2).folder = QStringLiteral("Data/User/ann/Analysis");
        w->clear_all_unsaved();
        QCOMPARE(rows(list), QStringList{"A2"});
        QCOMPARE(w->analyses().record(0).saved, uint8_t(1));
        QCOMPARE(w->analyses().result(0).folder, QStringLiteral("Data/User/ann/Analysis"));
        QCOMPARE(list->currentRow(), 0);
        // Only saved rows left: nothing goes.
        w->clear_all_unsaved();
        QCOMPARE(rows(list), QStringList{"A2"});
        QCOMPARE(items(child<QComboBox>(w, "details_box")), QStringList{"A2"});
        // What stays selected is what is drawn: the analysis made current, not the saved ones around the gap.
        analyse(w, "B");
        analyse(w, "C");
        w->analyses().record(2).saved = 1;
        w->clear_all_unsaved();
        QCOMPARE(rows(list), (QStringList{"A2", "C"}));
        QCOMPARE(selected(), QVector<int>{list->currentRow()});
    }

    // Open File Location also needs the current row on show: in the overlay view the only selected row clicked
    // off stays current, drawn nowhere, and neither its folder, its tangent, Hide/Show, the colour picker nor
    // Center act on it. With nothing on show the legend draws no empty frame and the rotation sliders are off;
    // shown again, the row has both, the sliders at its stored rotation.
    void list_menu_entries_need_a_current_row()
    {
        auto *tangent = child<QSlider>(w, "tangent");
        auto *cathodic_2 = child<QSlider>(w, "cathodic_2");
        const auto legend_drawn = [&] {
            plot()->replot();
            return plot()->legend->realVisibility();
        };
        for (const int state : {0, 1, 2}) {  // empty, one analysis on show, that analysis clicked off
            if (state == 1) {
                make(1);
                tangent->setValue(7);
                cathodic_2->setValue(-4);
            }
            if (state == 2)
                click_row(list, 0);
            QCOMPARE(legend_drawn(), state == 1);
            QCOMPARE(tangent->isEnabled(), state == 1);
            QCOMPARE(cathodic_2->isEnabled(), state == 1);
            with_popup([&] { w->show_select_menu(QPoint(5, 5)); }, [&](QMenu *m) {
                QStringList texts;
                for (QAction *a : m->actions()) {
                    texts << a->text();
                    QCOMPARE(a->isEnabled(), state == 1 || (state == 2 && a->text() != "Open File Location"));
                }
                QCOMPARE(texts, (QStringList{"Select All", "Unselect All", "Clear All", "Clear All Unsaved",
                                             "Open File Location"}));
            });
            if (state == 1) {
                // A folder the desktop cannot open (a never-saved analysis has none) is told, not passed over.
                w->open_file_loc();
                QCOMPARE(w->findChildren<QMessageBox *>().size(), 1);
            }
        }
        w->open_file_loc();
        QCOMPARE(w->findChildren<QMessageBox *>().size(), 1);
        const analysis_result &res = w->analyses().result(0);
        QTest::keyClick(tangent, Qt::Key_Right);
        QCOMPARE(int(res.current_tangent), 7);
        auto *hide = child<QToolButton>(w, "Open_Experiment_2");
        hide->click();
        QVERIFY(!hide->isChecked());
        QSignalSpy picker_fed(w, &qv_analysis_window::current_color);
        w->on_Open_Experiment_3_clicked();
        QCOMPARE(picker_fed.count(), 0);
        plot()->xAxis->setRange(2, 3);
        child<QToolButton>(w, "Center")->click();
        QCOMPARE(plot()->xAxis->range(), QCPRange(2, 3));

        click_row(list, 0);
        QVERIFY(legend_drawn());
        QVERIFY(tangent->isEnabled() && cathodic_2->isEnabled());
        QCOMPARE(QVector<int>({tangent->value(), cathodic_2->value()}), QVector<int>({7, -4}));
        QCOMPARE(QVector<int>({res.current_tangent, res.current_cathodic_2}), QVector<int>({7, 4}));
    }

    void legend_entry_names_what_it_does()
    {
        for (const char *text : {"Legend Off", "Legend On", "Legend Off"}) {
            with_popup([&] { w->ShowContextMenu(QPoint(50, 50)); },
                       [&](QMenu *m) {
                           QCOMPARE(m->actions().at(0)->text(), QString::fromLatin1(text));
                           QCOMPARE(m->actions().at(1)->text(), QStringLiteral("Set Axis"));
                           m->actions().at(0)->trigger();
                       });
            QCOMPARE(plot()->legend->visible(), QByteArray(text) == "Legend On");
        }
    }

    void axis_dialog_round_trip()
    {
        QSignalSpy feed(w, &qv_analysis_window::send_axisval);
        plot()->xAxis->setRange(-0.4, 0.3);
        plot()->yAxis->setRange(-5, 7);
        w->set_axis();
        QCOMPARE(feed.count(), 1);
        QCOMPARE(feed.at(0), (QList<QVariant>{7.0, -5.0, 0.3, -0.4, QVariant::fromValue(uint8_t(1))}));
        setaxis *dialog = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<setaxis *>(top); d && d->isVisible())
                dialog = d;
        QVERIFY(dialog);
        emit dialog->send_axis_analysis(10, -10, 0.8, -0.2);
        QCOMPARE(plot()->xAxis->range(), QCPRange(-0.2, 0.8));
        QCOMPARE(plot()->yAxis->range(), QCPRange(-10, 10));
    }

    void legend_drag_keeps_the_grab_point_under_the_pointer()
    {
        make(2);
        QCustomPlot *p = plot();
        p->replot();
        const QRect before = p->legend->outerRect();
        QVERIFY(before.width() > 20);
        const QPoint grab = before.topLeft() + QPoint(before.width() / 10, before.height() / 2);
        const QPoint offset = grab - before.topLeft();
        send_mouse(p, QEvent::MouseButtonPress, grab);
        for (const QPoint &to : {grab + QPoint(60, 40), grab + QPoint(200, 150)}) {
            send_mouse(p, QEvent::MouseMove, to);
            QVERIFY((p->legend->outerRect().topLeft() + offset - to).manhattanLength() <= 2);
        }
        send_mouse(p, QEvent::MouseButtonRelease, grab + QPoint(200, 150));
        const QPoint dropped = p->legend->outerRect().topLeft();
        send_mouse(p, QEvent::MouseMove, grab);
        p->replot();
        QCOMPARE(p->legend->outerRect().topLeft(), dropped);
        // Center puts it back in its corner.
        child<QToolButton>(w, "Center")->click();
        p->replot();
        QCOMPARE(p->legend->outerRect().topLeft(), before.topLeft());
    }
};

QTEST_MAIN(analysis_list_test)
#include "analysis_list_test.moc"
