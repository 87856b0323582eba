// The run screen's experiment list through the window: deletion and compaction, renaming, views, drops, names.
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <qcustomplot.h>

#include "dialogs/dialog_warning_delete_experiment.h"
#include "plot/qcp_compat.h"
#include "run/mainwindow.h"
#include "run_test_fixtures.h"
#include "shell/settings_box.h"
#include "support/list_rows.h"
#include "support/temp_workdir.h"

namespace {
using run_fixtures::add_listed_experiment;
using run_fixtures::visible_window;

bool in_legend(QCPCurve *c) { return c->parentPlot()->legend->hasItemWithPlottable(c); }
double first_value(QCPCurve *c) { return qcp::read_points(c).values.first(); }

QStringList row_texts(QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

dialog_warning_delete_experiment *open_warning() { return visible_window<dialog_warning_delete_experiment>(); }

}  // namespace

class main_window_list_test : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void overlay_delete_of_c_and_e_keeps_a_b_d();
    void moved_records_keep_their_own_look();
    void cancelled_warning_deletes_nothing();
    void deleting_in_a_full_list();
    void deleting_the_only_row_empties_the_list();
    void toolbar_delete_takes_the_named_experiment();
    void selected_rows_without_experiment_is_minus_one();
    void time_based_click_drops_potential_rows();
    void rename_makes_row_italic_and_unsaved();
    void single_view_selects_only_the_current_row();
    void single_view_boxes_show_the_electrodes_drawn_data();
    void single_view_boxes_show_the_electrodes_drawn();
    void keys_show_the_row_they_move_to_data();
    void keys_show_the_row_they_move_to();
    void every_button_shows_the_row_it_reaches_data();
    void every_button_shows_the_row_it_reaches();
    void clear_all_and_clear_all_unsaved();
    void drag_enter_judged_by_last_file();
    void new_name_skips_existing_files();
    void long_names_are_cut_in_the_middle_and_shown_whole_on_hover();

private:
    void add(const QStringList &names)
    {
        for (const QString &name : names)
            add_listed_experiment(*window, name);
    }
    void answer_warning(const char *button)
    {
        dialog_warning_delete_experiment *warning = open_warning();
        QVERIFY(warning);
        warning->findChild<QPushButton *>(button)->click();
    }
    bool enabled(const char *name) { return window->findChild<QToolButton *>(name)->isEnabled(); }
    // What DETAILS shows: its entries and lines, the boxes, the swatches, the hide toggle, the record buttons.
    QStringList details_look()
    {
        QStringList look{QString::number(box->count()), row_texts(window->findChild<QListWidget *>("details")).join('|')};
        for (const char *name : {"w1_check", "w2_check"})
            look << name + QString(window->findChild<QCheckBox *>(name)->isChecked() ? " ticked" : " clear");
        for (const char *name : {"w1_color_line", "w2_color_line"})
            look << window->findChild<QLabel *>(name)->styleSheet();
        look << QString(window->findChild<QToolButton *>("Open_Experiment_2")->isChecked() ? "hidden" : "shown");
        for (const char *name : {"Save_Experiment", "Delete_Experiment", "Save_Experiment_2"})
            look << name + QString(enabled(name) ? " on" : " off");
        return look;
    }
    // Whether the plot draws a legend, after a redraw.
    bool legend_drawn()
    {
        auto *plot = window->findChild<QCustomPlot *>("widget");
        plot->replot();
        return plot->legend->realVisibility();
    }
    curve &record(int n) { return window->experiment_records()[n]; }
    int count() { return int(window->experiment_records().experiment_count()); }
    // Rows "cv", "npv", "bobcv" in the given view, with row 1 alone on show.
    void show_middle_of_three(bool single_view)
    {
        add({"cv", "npv", "bobcv"});
        window->findChild<QToolButton *>("Open_Experiment_5")->setChecked(single_view);
        window->on_Open_Experiment_5_clicked();
        window->unselect_all();
        list->item(1)->setSelected(true);
        window->on_listWidget_itemClicked(list->item(1));
    }

    std::unique_ptr<temp_workdir> dir;
    std::unique_ptr<MainWindow> window;
    QListWidget *list = nullptr;
    QComboBox *box = nullptr;
};

void main_window_list_test::init()
{
    dir = std::make_unique<temp_workdir>();
    window = std::make_unique<MainWindow>();
    list = window->findChild<QListWidget *>("listWidget");
    box = window->findChild<QComboBox *>("details_box");
    QVERIFY(list && box);
}

void main_window_list_test::cleanup()
{
    while (auto *d = open_warning())
        d->close();
    window.reset();
    dir.reset();
}

void main_window_list_test::overlay_delete_of_c_and_e_keeps_a_b_d()
{
    add({"A", "B", "C", "D", "E"});
    QCOMPARE(list->selectionMode(), QAbstractItemView::MultiSelection);
    window->unselect_all();
    list->item(2)->setSelected(true);
    list->item(4)->setSelected(true);
    list->setCurrentRow(4);
    window->on_listWidget_itemClicked(list->item(4));
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(0), QStringLiteral("2 Experiments"));

    window->on_Delete_Experiment_2_clicked();
    QVERIFY(open_warning());
    QCOMPARE(open_warning()->windowTitle(), QStringLiteral("2 items are selected"));
    answer_warning("pushButton_2");

    QCOMPARE(row_texts(list), (QStringList{"A", "B", "D"}));
    QCOMPARE(count(), 3);
    QCOMPARE((QStringList{record(0).name, record(1).name, record(2).name}), (QStringList{"A", "B", "D"}));
    // D's own points moved with it (it was record 3).
    QCOMPARE(first_value(record(2).ch1_curve), 300.0);
    QCOMPARE(first_value(record(2).ch1_raw_curve), 3000.0);
    QCOMPARE(first_value(record(1).ch1_curve), 100.0);
    // No surviving row was pulled into the selection by becoming current, and none is current off the plot.
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(list->currentRow(), -1);
    // The freed records are empty and out of the legend.
    for (int i = 3; i < 5; ++i) {
        QCOMPARE(qcp::point_count(record(i).ch1_curve), 0);
        QCOMPARE(qcp::point_count(record(i).ch2_raw_curve), 0);
        QVERIFY(!in_legend(record(i).ch1_curve) && !in_legend(record(i).ch2_curve));
        QVERIFY(record(i).name.isEmpty());
    }
}

void main_window_list_test::moved_records_keep_their_own_look()
{
    add({"A", "B", "C", "D"});
    const QColor c_colour = record(2).ch1_colour;
    const QColor d_colour = record(3).ch1_colour;
    QVERIFY(c_colour != d_colour);

    // A Stop button left enabled by some other path is no run: it must not lock the list for good.
    window->findChild<QToolButton *>("Stop")->setEnabled(true);
    QVERIFY(!window->run_in_progress());
    window->unselect_all();
    list->item(1)->setSelected(true);
    list->setCurrentRow(1);
    window->on_listWidget_itemClicked(list->item(1));
    QVERIFY(enabled("Delete_Experiment_2"));
    // C shows electrode 1 only, D both: as the overlay left them before B goes.
    record(2).ch2_shown = 0;
    for (QCPCurve *c : {record(2).ch1_curve, record(3).ch1_curve, record(3).ch2_curve}) {
        c->setVisible(true);
        c->addToLegend();
    }
    record(2).ch2_curve->setVisible(false);
    record(2).ch2_curve->removeFromLegend();

    window->on_Delete_Experiment_2_clicked();
    answer_warning("pushButton_2");

    QCOMPARE(row_texts(list), (QStringList{"A", "C", "D"}));
    QCOMPARE(count(), 3);
    // C, now record 1: its name, colour and electrode 2 still off.
    QCOMPARE(record(1).name, QStringLiteral("C"));
    QCOMPARE(record(1).ch1_curve->name(), QStringLiteral("C_w1"));
    QCOMPARE(record(1).ch2_curve->name(), QStringLiteral("C_w2"));
    QCOMPARE(record(1).ch1_colour, c_colour);
    QCOMPARE(record(1).ch1_curve->pen().color(), c_colour);
    QVERIFY(record(1).ch1_curve->visible() && in_legend(record(1).ch1_curve));
    QVERIFY(!record(1).ch2_curve->visible() && !in_legend(record(1).ch2_curve));
    QCOMPARE(int(record(1).ch2_shown), 0);
    // D, now record 2: both electrodes, its own pens.
    QCOMPARE(record(2).ch2_curve->name(), QStringLiteral("D_w2"));
    QCOMPARE(record(2).ch1_curve->pen().color(), d_colour);
    QCOMPARE(record(2).ch2_curve->pen().color(), record(2).ch2_colour);
    QVERIFY(in_legend(record(2).ch1_curve) && in_legend(record(2).ch2_curve));
    QVERIFY(record(2).ch2_curve->visible());
    // Each curve keeps its own container: emptying one leaves the others alone.
    QVERIFY(record(1).ch1_curve->data() != record(2).ch1_curve->data());
    QVERIFY(record(2).ch1_curve->data() != record(3).ch1_curve->data());
}

void main_window_list_test::cancelled_warning_deletes_nothing()
{
    add({"A", "B"});
    window->on_Delete_Experiment_2_clicked();
    QPointer<dialog_warning_delete_experiment> warning = open_warning();
    answer_warning("pushButton");
    QVERIFY(!open_warning());
    QCOMPARE(row_texts(list), (QStringList{"A", "B"}));
    QCOMPARE(count(), 2);

    // The rows the cancelled warning asked about (B) are forgotten: a later deletion takes the selection then.
    QTRY_VERIFY(!warning);
    window->unselect_all();
    list->setCurrentRow(0);
    window->delete_experiment();
    QCOMPARE(row_texts(list), (QStringList{"B"}));
}

void main_window_list_test::deleting_in_a_full_list()
{
    for (int i = 0; i < max_experiments; ++i)
        add_listed_experiment(*window, QString::number(i), "Cyclic Voltammetry", 2);
    QCOMPARE(count(), 255);

    window->unselect_all();
    // Made current first: in the overlay view making a row current replaces the latest selection step.
    list->setCurrentRow(0);
    list->item(254)->setSelected(true);
    QCOMPARE(list->selectedItems().size(), 2);
    window->delete_experiment();

    QCOMPARE(count(), 253);
    QCOMPARE(list->count(), 253);
    for (int i = 0; i < 253; ++i) {
        QCOMPARE(record(i).name, QString::number(i + 1));
        QCOMPARE(list->item(i)->text(), QString::number(i + 1));
        QCOMPARE(first_value(record(i).ch2_curve), (i + 1) * 100.0);
    }
    QCOMPARE(qcp::point_count(record(253).ch1_curve), 0);
    QCOMPARE(qcp::point_count(record(254).ch1_curve), 0);
    QCOMPARE(window->reserve_next_record(), 253);  // room for two more
}

void main_window_list_test::deleting_the_only_row_empties_the_list()
{
    add({"Only"});
    window->rebuild_after_delete(0);
    QCOMPARE(list->count(), 0);
    QCOMPARE(count(), 0);
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(box->count(), 0);
    QVERIFY(!enabled("Delete_Experiment_2"));
    window->rebuild_after_delete(7);  // a row past the list is not there to delete
    QCOMPARE(count(), 0);
}

void main_window_list_test::toolbar_delete_takes_the_named_experiment()
{
    add({"A", "B", "C"});
    window->select_all();
    auto *name = window->findChild<QLineEdit *>("New_Experiment_Name");
    name->setText("B");
    window->on_Delete_Experiment_clicked();
    QVERIFY(open_warning());
    QCOMPARE(open_warning()->windowTitle(), QStringLiteral("Warning:Delete \"B\""));
    answer_warning("pushButton_2");
    QCOMPARE(row_texts(list), (QStringList{"A", "C"}));

    // A name that no row carries opens nothing.
    name->setText("Z");
    window->on_Delete_Experiment_clicked();
    QVERIFY(!open_warning());
    QVERIFY(!enabled("Delete_Experiment"));
}

void main_window_list_test::selected_rows_without_experiment_is_minus_one()
{
    add({"A", "B", "C"});
    window->select_all();
    QCOMPARE(box->count(), 4);
    box->setCurrentIndex(3);
    QCOMPARE(window->selected_rows(), 2);
    // Picking an entry gives the panel's save button to that experiment: B unsaved, C saved.
    record(1).saved = 0;
    box->setCurrentIndex(2);
    QVERIFY(enabled("Save_Experiment_2"));
    box->setCurrentIndex(3);
    QVERIFY(!enabled("Save_Experiment_2"));

    // The box still lists three names, but only one row is left selected.
    list->item(1)->setSelected(false);
    list->item(2)->setSelected(false);
    QCOMPARE(window->selected_rows(), -1);
    window->update_buttons();
    QVERIFY(!enabled("Save_Experiment_2"));
    window->on_details_box_currentIndexChanged(3);  // must not reach past the selection

    window->unselect_all();
    QCOMPARE(window->selected_rows(), -1);
    window->update_buttons();
    window->on_Delete_Experiment_2_clicked();  // current row not selected: no warning
    QVERIFY(!open_warning());
    window->delete_experiment();  // nothing selected: nothing deleted
    QCOMPARE(list->count(), 3);
}

void main_window_list_test::time_based_click_drops_potential_rows()
{
    add_listed_experiment(*window, "cv", "Cyclic Voltammetry");
    add_listed_experiment(*window, "chrono", "Chronoamperometry");
    auto *plot = window->findChild<QCustomPlot *>("widget");
    window->select_all();
    list->setCurrentRow(1);
    window->on_listWidget_itemClicked(list->item(1));
    QVERIFY(!list->item(0)->isSelected() && list->item(1)->isSelected());
    QCOMPARE(plot->xAxis->label(), QStringLiteral("Time(ms)"));
    list->setCurrentRow(1);  // making the row current again must not bring the dropped row back
    QVERIFY(!list->item(0)->isSelected());
    QVERIFY(!record(0).ch1_curve->visible() && !in_legend(record(0).ch1_curve));
    QVERIFY(record(1).ch1_curve->visible());

    list->item(0)->setSelected(true);
    list->setCurrentRow(0);
    window->on_listWidget_itemClicked(list->item(0));
    QVERIFY(!list->item(1)->isSelected());
    QCOMPARE(plot->xAxis->label(), QStringLiteral("Voltage (V)"));
    QVERIFY(!record(1).ch1_curve->visible());
}

void main_window_list_test::rename_makes_row_italic_and_unsaved()
{
    add({"old"});
    QCOMPARE(int(record(0).saved), 1);
    QVERIFY(!list->item(0)->font().italic());
    for (const char *button : {"Save", "Save_Experiment_2"})
        window->findChild<QToolButton *>(button)->setEnabled(false);

    list->item(0)->setText("fresh");  // what the editor does when the user confirms

    const QFont font = list->item(0)->font();
    QVERIFY(font.italic());
    QCOMPARE(font.pointSize(), 12);
    QCOMPARE(font.weight(), int(QFont::Normal));
    QCOMPARE(record(0).name, QStringLiteral("fresh"));
    QCOMPARE(int(record(0).saved), 0);
    QCOMPARE(record(0).ch1_curve->name(), QStringLiteral("fresh_w1"));
    QCOMPARE(record(0).ch2_curve->name(), QStringLiteral("fresh_w2"));
    QVERIFY(enabled("Save") && enabled("Save_Experiment_2"));
    QCOMPARE(box->itemText(0), QStringLiteral("fresh"));

    // In overlay view the renamed experiment's entry and the summary take the new name.
    add({"other"});
    window->select_all();
    list->item(1)->setText("again");
    QCOMPARE(box->itemText(2), QStringLiteral("again"));
    QCOMPARE(row_texts(window->findChild<QListWidget *>("details")).last(), QStringLiteral("again"));
    // A row out of view stays off the plot and out of the legend when renamed.
    list->item(0)->setSelected(false);
    window->on_listWidget_itemClicked(list->item(0));
    list->item(0)->setText("unseen");
    QVERIFY(!record(0).ch1_curve->visible() && !in_legend(record(0).ch1_curve) && !in_legend(record(0).ch2_curve));
    QVERIFY(record(1).ch1_curve->visible() && in_legend(record(1).ch1_curve));

    // The same text again changes nothing.
    record(0).saved = 1;
    list->item(0)->setText("unseen");
    QCOMPARE(int(record(0).saved), 1);

    // Another cut-off from the list's Filter menu changes what the file would hold, as a rename does; the same
    // cut-off again does not.
    add({"kept"});
    window->unselect_all();
    list->item(2)->setSelected(true);
    list->setCurrentRow(2);
    window->findChild<QToolButton *>("Save")->setEnabled(false);
    window->filt_menu10();
    QVERIFY(list->item(2)->font().italic() && record(2).saved == 0 && enabled("Save"));
    record(2).saved = 1;
    window->filt_menu10();
    QCOMPARE(int(record(2).saved), 1);
}

void main_window_list_test::single_view_selects_only_the_current_row()
{
    add({"A", "B", "C"});
    window->select_all();
    list->setCurrentRow(1);
    window->findChild<QToolButton *>("Open_Experiment_5")->setChecked(true);
    window->on_Open_Experiment_5_clicked();
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->selectedItems().size(), 1);
    QCOMPARE(list->selectedItems().first()->text(), QStringLiteral("B"));
    QCOMPARE(box->count(), 1);
    QCOMPARE(box->itemText(0), QStringLiteral("B"));
    QVERIFY(record(1).ch1_curve->visible());
    QVERIFY(!record(0).ch1_curve->visible() && !record(2).ch2_curve->visible());

    // Deleting the one experiment in view leaves the row above it in view, fitted as a click fits it.
    record(0).e_max = 8.0f;
    record(0).i_min = -15.0f;
    window->delete_experiment();
    QCOMPARE(row_texts(list), (QStringList{"A", "C"}));
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(record(0).ch1_curve->visible() && !record(1).ch1_curve->visible());
    auto *plot = window->findChild<QCustomPlot *>("widget");
    QVERIFY(plot->xAxis->range().contains(8.0) && plot->yAxis->range().contains(-15.0));
}

void main_window_list_test::single_view_boxes_show_the_electrodes_drawn_data()
{
    QTest::addColumn<bool>("from_settings_box");
    QTest::newRow("toolbar button") << false;
    QTest::newRow("settings box, Single, Save") << true;
}

// Overlay of a WE1-only record and two of both electrodes: the boxes are cleared, as the flags disagree. In the
// single view that follows, they speak for the one record drawn.
void main_window_list_test::single_view_boxes_show_the_electrodes_drawn()
{
    QFETCH(bool, from_settings_box);
    add({"we1", "both", "both too"});
    record(0).ch2_shown = 0;
    window->select_all();
    window->on_listWidget_itemClicked(list->item(0));
    auto *w1 = window->findChild<QCheckBox *>("w1_check");
    auto *w2 = window->findChild<QCheckBox *>("w2_check");
    QVERIFY(!w1->isChecked() && !w2->isChecked());

    if (from_settings_box) {
        window->on_settings_clicked();
        auto *settings = visible_window<settings_box>();
        QVERIFY(settings);
        settings->findChild<QComboBox *>("Plot_Mode")->setCurrentIndex(1);
        settings->findChild<QPushButton *>("pushButton_3")->click();
    } else {
        window->findChild<QToolButton *>("Open_Experiment_5")->click();
    }
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(box->itemText(0), QStringLiteral("we1"));
    QVERIFY(record(0).ch1_curve->visible() && !record(0).ch2_curve->visible());
    QVERIFY(w1->isChecked() && !w2->isChecked());
    w1->click();  // one click hides the curve the box stands for
    QVERIFY(!record(0).ch1_curve->visible());
}

void main_window_list_test::keys_show_the_row_they_move_to_data()
{
    QTest::addColumn<bool>("single_view");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row");
    QTest::newRow("single view, Down") << true << int(Qt::Key_Down) << 2;
    QTest::newRow("single view, Home") << true << int(Qt::Key_Home) << 0;
    QTest::newRow("overlay view, End joins the overlay") << false << int(Qt::Key_End) << 2;
}

void main_window_list_test::keys_show_the_row_they_move_to()
{
    QFETCH(bool, single_view);
    QFETCH(int, key);
    QFETCH(int, row);
    show_middle_of_three(single_view);

    QTest::keyClick(list, Qt::Key(key));
    QCOMPARE(list->currentRow(), row);
    QVERIFY(list->item(row)->isSelected() && record(row).ch1_curve->visible());
    QCOMPARE(record(1).ch1_curve->visible(), !single_view);
    // DETAILS names the row on show: its own lines, or the overlay's summary.
    QVERIFY(row_texts(window->findChild<QListWidget *>("details")).join(' ').contains(list->item(row)->text()));
}

// Every mouse button and a press dragged across rows show what they select, as a click does: each selected row is
// drawn, each drawn row selected, the current row among them and DETAILS about them. Starts with row 1 on show.
void main_window_list_test::every_button_shows_the_row_it_reaches_data()
{
    QTest::addColumn<bool>("single_view");
    QTest::addColumn<int>("button");  // Qt::NoButton: a left press dragged from row 0
    QTest::addColumn<int>("row");
    QTest::newRow("single view, middle-click") << true << int(Qt::MiddleButton) << 2;
    QTest::newRow("single view, right-click and Escape") << true << int(Qt::RightButton) << 2;
    QTest::newRow("single view, drag") << true << int(Qt::NoButton) << 2;
    QTest::newRow("overlay view, middle-click") << false << int(Qt::MiddleButton) << 0;
    QTest::newRow("overlay view, drag") << false << int(Qt::NoButton) << 2;
}

void main_window_list_test::every_button_shows_the_row_it_reaches()
{
    QFETCH(bool, single_view);
    QFETCH(int, button);
    QFETCH(int, row);
    window->show();  // a hidden list takes no drag across its rows
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    show_middle_of_three(single_view);

    if (button == Qt::NoButton)
        drag_across_rows(list, 0, row);
    else
        click_row_with(list, row, Qt::MouseButton(button));
    QVERIFY(list->currentItem() && list->currentItem()->isSelected());
    QCOMPARE(list->currentRow(), row);
    const int selected = list->selectedItems().size();
    for (int r = 0; r < 3; ++r)
        QCOMPARE(record(r).ch1_curve->visible(), list->item(r)->isSelected());
    QCOMPARE(box->count(), selected > 1 ? selected + 1 : 1);
    if (selected == 1)
        QCOMPARE(box->itemText(0), list->currentItem()->text());
}

void main_window_list_test::clear_all_and_clear_all_unsaved()
{
    // Nothing to list: no bare legend frame in the plot's corner.
    const QStringList at_start = details_look();
    QVERIFY(!legend_drawn());
    add({"A", "B", "C", "D"});
    QVERIFY(legend_drawn());
    record(0).saved = 0;
    record(2).saved = 0;
    window->clear_all_unsaved();
    QCOMPARE(row_texts(list), (QStringList{"B", "D"}));
    QCOMPARE(record(1).name, QStringLiteral("D"));
    QCOMPARE(first_value(record(1).ch1_curve), 300.0);
    QCOMPARE(list->currentRow(), 0);

    window->findChild<QToolButton *>("Open_Experiment_2")->click();  // hidden, as the last record may be
    record(0).saved = 0;
    window->update_buttons();
    QVERIFY(details_look() != at_start);
    window->clear_all();
    QCOMPARE(list->count(), 0);
    QCOMPARE(box->count(), 0);
    QCOMPARE(count(), 0);
    QCOMPARE(qcp::point_count(record(0).ch1_curve), 0);
    QCOMPARE(qcp::point_count(record(1).ch2_raw_curve), 0);
    QVERIFY(!in_legend(record(0).ch1_curve));
    QVERIFY(record(0).name.isEmpty());
    // DETAILS and the plot as at start, the buttons that act on a record off.
    QCOMPARE(details_look(), at_start);
    QVERIFY(!enabled("Delete_Experiment_2"));
    QVERIFY(!legend_drawn());
    QVERIFY(window->findChild<QCustomPlot *>("widget")->legend->visible());  // the legend switch stays on

    // Clear All Unsaved that leaves no row does the same.
    add({"E"});
    record(0).saved = 0;
    window->clear_all_unsaved();
    QCOMPARE(list->count(), 0);
    QCOMPARE(details_look(), at_start);
    QVERIFY(!enabled("Delete_Experiment_2"));
}

void main_window_list_test::drag_enter_judged_by_last_file()
{
    auto drag = [&](const QStringList &paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDragEnterEvent event(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        event.ignore();
        QCoreApplication::sendEvent(window.get(), &event);
        return event.isAccepted();
    };
    QVERIFY(drag({"/tmp/a.qve"}));
    QVERIFY(!drag({"/tmp/a.QVE"}));
    QVERIFY(!drag({"/tmp/a.qve", "/tmp/b.txt"}));
    QVERIFY(drag({"/tmp/b.txt", "/tmp/a.qve"}));
}

void main_window_list_test::new_name_skips_existing_files()
{
    const QString folder = "Data/User/Experiments/";
    dir->write_file(folder + "New_Experiment(1).qve", "x");
    dir->write_file(folder + "New_Experiment(2).qve", "x");
    QDir().mkpath(folder + "New_Experiment(3).qve");  // a folder, not a file
    window->on_actionNew_triggered();
    QCOMPARE(window->findChild<QLineEdit *>("New_Experiment_Name")->text(), QStringLiteral("New_Experiment(3)"));
    QVERIFY(MainWindow::file_exists(folder + "New_Experiment(1).qve"));
    QVERIFY(!MainWindow::file_exists(folder + "New_Experiment(3).qve"));
    QVERIFY(!MainWindow::file_exists(folder + "none.qve"));
}

// The day's default names differ only at their ends; a list cut at the right shows them all alike.
void main_window_list_test::long_names_are_cut_in_the_middle_and_shown_whole_on_hover()
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QStringList names;
    for (int i = 1; i <= 20; ++i)  // enough rows for a vertical scroll bar, which narrows the rows
        names << QStringLiteral("New_Experiment_20261207_093015_%1").arg(i);
    add(names);
    record(1).saved = 1;
    list->item(1)->setFont(QFont("Calibri", 12));  // the larger font of a saved row
    QCOMPARE(list->textElideMode(), Qt::ElideMiddle);
    for (int row : {0, 1, 19}) {
        list->scrollToItem(list->item(row));
        QTRY_VERIFY_WITH_TIMEOUT(row_fits_the_list(list, row), 20000);
        QCOMPARE(hovered_row_tip(list, row), names[row]);
    }
}

QTEST_MAIN(main_window_list_test)
#include "main_window_list_test.moc"
