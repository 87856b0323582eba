// The run screen's experiment list: selection views, details panel, renaming, deletion with record compaction.
#include <QDebug>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalBlocker>

#include "dialogs/dialog_warning_delete_experiment.h"
#include "lists/drag_enter.h"
#include "lists/experiment_list_logic.h"
#include "lists/list_selection.h"
#include "platform/screen_metrics.h"
#include "plot/curve_palette.h"
#include "platform/memory_release.h"
#include "plot/qcp_compat.h"
#include "run/mainwindow.h"
#include "ui_mainwindow.h"
#include "platform/trace.h"

namespace {

const QString row_font_family = QStringLiteral("Calibri");
constexpr int row_font_points = 12;

QFont row_font(bool italic)
{
    QFont font(row_font_family, row_font_points, QFont::Normal);
    font.setItalic(italic);
    return font;
}

bool in_legend(QCPCurve *c)
{
    return c && c->parentPlot() && c->parentPlot()->legend && c->parentPlot()->legend->hasItemWithPlottable(c);
}

// How a shown curve looks on the plot; it travels with the record's points when the records are compacted.
struct curve_look {
    QString name;
    QPen pen;
    QBrush brush;
    bool visible = false;
    bool legend = false;
};

curve_look look_of(QCPCurve *c)
{
    curve_look look;
    if (!c)
        return look;
    look.name = c->name();
    look.pen = c->pen();
    look.brush = c->brush();
    look.visible = c->visible();
    look.legend = in_legend(c);
    return look;
}

void give_look(QCPCurve *c, const curve_look &look)
{
    if (!c)
        return;
    c->setName(look.name);
    c->setPen(look.pen);
    c->setBrush(look.brush);
    c->setVisible(look.visible);
    // Out and in again, so that the legend lists the moved records in record order.
    c->removeFromLegend();
    if (look.legend)
        c->addToLegend();
}

}  // namespace

// ---- selection ----

QVector<int> MainWindow::selection_snapshot() const
{
    // The details box lists the selected rows in this same order, so entry j >= 1 matches position j - 1.
    return list_selection::selected_rows(ui->listWidget, records.experiment_count());
}

int MainWindow::selected_rows() const
{
    const int row = experiment_list::selected_row(selection_snapshot(), ui->details_box->count(),
                                                  ui->details_box->currentIndex());
    return row < records.experiment_count() ? row : -1;
}

bool MainWindow::current_row_in_use() const
{
    const int row = ui->listWidget->currentRow();
    return row >= 0 && row < records.experiment_count();
}

bool MainWindow::current_row_on_show() const
{
    // In the overlay view a current row that is not selected is not drawn, nor named in DETAILS.
    return current_row_in_use() && ui->listWidget->currentItem()->isSelected();
}

void MainWindow::make_row_current(int row)
{
    list_selection::make_current(ui->listWidget, row);
}

void MainWindow::set_electrode_boxes(bool w1, bool w2)
{
    const QSignalBlocker block1(ui->w1_check);
    const QSignalBlocker block2(ui->w2_check);
    ui->w1_check->setChecked(w1);
    ui->w2_check->setChecked(w2);
}

bool MainWindow::selected_flags_agree() const
{
    QVector<experiment_list::electrode_flags> flags;
    for (int row : selection_snapshot())
        flags.push_back({records[row].ch1_shown != 0, records[row].ch2_shown != 0});
    return experiment_list::flags_agree(flags);
}

bool MainWindow::run_under_way() const
{
    // The run under way writes into the newest record after every batch: while it lasts no record may be
    // removed or moved.
    return run_in_progress();
}

void MainWindow::on_listWidget_itemClicked(QListWidgetItem *item)
{
    QListWidget *list = ui->listWidget;
    if (list->count() == 0) {
        ui->details->clear();
        ui->details_box->clear();
        return;
    }
    if (item && list->row(item) >= 0 && list->currentItem() != item)
        make_row_current(list->row(item));
    if (!current_row_in_use())
        return;

    QListWidgetItem *current = list->currentItem();
    if (!current->isSelected()) {
        const QVector<int> selected = selection_snapshot();
        if (!selected.isEmpty()) {
            // A click that deselected the current row hands the focus to the first row still selected.
            const QSignalBlocker blocker(list);
            make_row_current(selected.first());
            on_listWidget_itemClicked(list->item(selected.first()));
            return;
        }
    }

    const int row = list->currentRow();
    const int count = records.experiment_count();
    QVector<bool> time_based;
    for (int i = 0; i < count; ++i)
        time_based.push_back(experiment_list::is_time_based(records[i].method));
    const bool current_time_based = time_based.at(row);
    const experiment_list::kind_filter kinds =
        experiment_list::filter_by_kind(current_time_based, time_based, selection_snapshot());
    list_selection::deselect_rows(list, kinds.deselect);
    for (int r : kinds.hidden)
        hide_record_graphs(r);
    for (int r : kinds.shown)
        apply_record_visibility(r);
    ui->widget->xAxis->setLabel(kinds.x_label);

    on_Center_clicked();

    const curve &record = records[row];
    ui->Open_Experiment_2->setChecked(record.hidden != 0);
    ui->Save_Experiment_2->setEnabled(record.saved == 0 && row != running_record_index());

    if (list->selectionMode() == QAbstractItemView::SingleSelection) {
        for (int i = 0; i < count; ++i) {
            records[i].ch1_curve->setName(experiment_list::we1_curve_name(records[i].name));
            records[i].ch2_curve->setName(experiment_list::we2_curve_name(records[i].name));
            hide_record_graphs(i);
        }
        apply_record_visibility(row);
    } else if (current->isSelected()) {
        apply_record_visibility(row);
    } else {
        hide_record_graphs(row);
    }
    qcp::replot_hint(ui->widget);

    refresh_experiment_list();
    ui->Delete_Experiment_2->setEnabled(!run_in_progress());

    const QVector<int> selected = selection_snapshot();
    if (selected.isEmpty()) {
        ui->details_box->clear();
        ui->details->clear();
    } else if (summary_entry_current()) {
        const bool agree = selected_flags_agree();
        set_electrode_boxes(agree, agree);
    }
    update_buttons();
}

void MainWindow::show_row_the_user_picked()
{
    if (QListWidgetItem *item = ui->listWidget->currentItem())
        on_listWidget_itemClicked(item);
}

void MainWindow::refresh_experiment_list()
{
    QListWidget *list = ui->listWidget;
    const int row = current_row_in_use() ? list->currentRow() : -1;
    QStringList texts;
    for (int r : selection_snapshot())
        texts << list->item(r)->text();
    const bool single = list->selectionMode() == QAbstractItemView::SingleSelection;
    const experiment_list::details_view view =
        experiment_list::details_for(single, row >= 0 ? list->item(row)->text() : QString(), texts);

    if (!view.keep && (view.summary || row >= 0)) {
        {
            // Refilling must not run the entry handler on a half-built box.
            const QSignalBlocker blocker(ui->details_box);
            ui->details_box->clear();
            ui->details_box->addItems(view.box_entries);
            ui->details_box->setCurrentIndex(0);
        }
        ui->details->clear();
        ui->details->addItems(view.summary ? view.lines : records[row].details);
    }
    if (row < 0) {
        qcp::replot_hint(ui->widget);
        return;
    }
    set_electrode_boxes(records[row].ch1_shown != 0, records[row].ch2_shown != 0);
    show_record_colour_swatches(row);
    if (summary_entry_current())
        paint_swatches_blank();
    qcp::replot_hint(ui->widget);
}

void MainWindow::on_details_box_currentIndexChanged(int index)
{
    if (ui->details_box->count() <= 1 || index < 0)
        return;
    if (index == 0) {
        const QVector<int> selected = selection_snapshot();
        QStringList lines{experiment_list::summary_heading(selected.size())};
        for (int r : selected)
            lines << ui->listWidget->item(r)->text();
        ui->details->clear();
        ui->details->addItems(lines);
        paint_swatches_blank();
        update_buttons();
        return;
    }
    const int record = selected_rows();
    if (record < 0)
        return;
    ui->details->clear();
    ui->details->addItems(records[record].details);
    show_record_colour_swatches(record);
    // The details panel's save button stands for the experiment picked here.
    update_buttons();
}

// ---- views ----

void MainWindow::show_only_current_row()
{
    const int row = ui->listWidget->currentRow();
    for (int i = 0; i < records.experiment_count(); ++i)
        hide_record_graphs(i);
    ui->listWidget->clearSelection();
    const curve &record = records[row];
    for (const auto &[c, shown] : {std::pair<QCPCurve *, bool>{record.ch1_curve, record.ch1_shown && !record.hidden},
                                   {record.ch2_curve, record.ch2_shown && !record.hidden}}) {
        c->setVisible(shown);
        set_legend_entry(c, shown);
    }
    ui->listWidget->item(row)->setSelected(true);
    ui->listWidget->setSelectionMode(QAbstractItemView::SingleSelection);
}

void MainWindow::on_Open_Experiment_5_clicked()
{
    // Switching to single view also shows the current row's details; the rest is the common toggle.
    if (current_row_in_use() && ui->Open_Experiment_5->isChecked()) {
        const int row = ui->listWidget->currentRow();
        {
            const QSignalBlocker blocker(ui->details_box);
            ui->details_box->clear();
            ui->details_box->addItem(ui->listWidget->item(row)->text());
        }
        ui->details->clear();
        ui->details->addItems(records[row].details);
    }
    toggle_multi_selection();
}

void MainWindow::toggle_multi_selection()
{
    if (!current_row_in_use()) {
        // The list follows the view even without a current row (an empty list, a view chosen in the settings
        // box): its next click must select the way the button says.
        ui->listWidget->setSelectionMode(ui->Open_Experiment_5->isChecked() ? QAbstractItemView::SingleSelection
                                                                            : QAbstractItemView::MultiSelection);
        qcp::replot_hint(ui->widget);
        return;
    }
    if (!ui->Open_Experiment_5->isChecked()) {
        ui->listWidget->setSelectionMode(QAbstractItemView::MultiSelection);
    } else {
        show_only_current_row();
        // The boxes may still speak for the overlay's selection; now they stand for the one record drawn.
        const curve &record = records[ui->listWidget->currentRow()];
        set_electrode_boxes(record.ch1_shown != 0, record.ch2_shown != 0);
        apply_detail_colors(ui->listWidget->currentRow());
    }
    qcp::replot_hint(ui->widget);
}

// ---- whole list ----

void MainWindow::select_all()
{
    const int count = std::min(ui->listWidget->count(), int(records.experiment_count()));
    for (int i = 0; i < count; ++i) {
        ui->listWidget->item(i)->setSelected(true);
        apply_record_visibility(i);
    }
    // The details box must name the new selection, or its entries would point at the wrong records.
    refresh_experiment_list();
    if (ui->listWidget->count() > 1) {
        paint_swatches_blank();
        const bool agree = selected_flags_agree();
        set_electrode_boxes(agree, agree);
    }
    on_Center_clicked();
    qcp::replot_hint(ui->widget);
}

void MainWindow::unselect_all()
{
    ui->listWidget->clearSelection();
    for (int i = 0; i < records.experiment_count(); ++i)
        hide_record_graphs(i);
    ui->details->clear();
    ui->details_box->clear();
    qcp::replot_hint(ui->widget);
}

void MainWindow::release_record_curves(int index)
{
    curve &record = records[index];
    for (QCPCurve *c : {record.ch1_curve, record.ch2_curve, record.ch1_raw_curve, record.ch2_raw_curve})
        qcp::clear_points(c);
    for (QCPCurve *c : {record.ch1_curve, record.ch2_curve}) {
        if (!c)
            continue;
        c->removeFromLegend();
        c->setVisible(false);
        c->setName(QString());
    }
}

void MainWindow::clear_all()
{
    if (run_under_way()) {
        qCDebug(rz410_trace) << "list not cleared: a run is under way";
        return;
    }
    {
        const QSignalBlocker box_blocker(ui->details_box);
        const QSignalBlocker list_blocker(ui->listWidget);
        for (int i = 0; i < records.experiment_count(); ++i)
            release_record_curves(i);
        records.shrink_to(0);
        ui->listWidget->clear();
    }
    show_no_record_in_details();
    qcp::replot_hint(ui->widget);
    platform::give_back_freed_memory();
}

void MainWindow::clear_all_unsaved()
{
    QVector<int> unsaved;
    for (int i = 0; i < records.experiment_count(); ++i)
        if (records[i].saved == 0)
            unsaved.push_back(i);
    // The first row is shown afterwards even when every record was saved.
    const bool removed = take_rows(unsaved).has_value();
    if (removed || ui->listWidget->count() > 0)
        show_row_after_removal(0);
    qcp::replot_hint(ui->widget);
}

// ---- deletion ----

void MainWindow::open_delete_warning(const QVector<int> &rows, const QString &name)
{
    pending_delete_rows = rows;
    auto *warning = new dialog_warning_delete_experiment(nullptr);
    // Each warning serves one request; destroyed on close, it leaves no stale connection behind.
    warning->setAttribute(Qt::WA_DeleteOnClose);
    warning->setWindowModality(Qt::ApplicationModal);
    platform::place_over(warning, this);
    warning->show();
    connect(warning, &dialog_warning_delete_experiment::sendData2, this, &MainWindow::delete_experiment);
    // A cancelled warning must not leave its rows behind for a later deletion.
    connect(warning, &QObject::destroyed, this, [this] { pending_delete_rows.clear(); });
    connect(this, &MainWindow::experiment_name, warning, &dialog_warning_delete_experiment::get_the_name);
    connect(this, &MainWindow::deney_sayisi, warning, &dialog_warning_delete_experiment::exp_count);
    emit deney_sayisi(rows.size());
    emit experiment_name(name);
}

void MainWindow::on_Delete_Experiment_2_clicked()
{
    QListWidgetItem *current = ui->listWidget->currentItem();
    if (!current || !current->isSelected())
        return;
    // The rows are fixed now, as the warning names them.
    open_delete_warning(selection_snapshot(), current->text());
}

void MainWindow::on_Delete_Experiment_clicked()
{
    if (ui->listWidget->count() == 0)
        return;
    QStringList texts;
    for (int i = 0; i < ui->listWidget->count(); ++i)
        texts << ui->listWidget->item(i)->text();
    const int row = experiment_list::last_row_named(texts, ui->New_Experiment_Name->text());
    update_buttons();
    if (row < 0 || row >= records.experiment_count())
        return;
    // This button stands for the experiment named in the name field, whatever else is selected.
    open_delete_warning({row}, texts.at(row));
}

void MainWindow::delete_experiment()
{
    const QVector<int> rows = pending_delete_rows.isEmpty() ? selection_snapshot() : pending_delete_rows;
    pending_delete_rows.clear();
    remove_rows(rows);
    qcp::replot_hint(ui->widget);
}

void MainWindow::rebuild_after_delete(uint8_t row)
{
    remove_rows({int(row)});
}

void MainWindow::move_record(int from, int to) { move_record_into(records[to], records[from]); }

void MainWindow::remove_rows(const QVector<int> &rows)
{
    if (const std::optional<int> current_after = take_rows(rows))
        show_row_after_removal(*current_after);
}

std::optional<int> MainWindow::take_rows(const QVector<int> &requested)
{
    if (run_under_way()) {
        qCDebug(rz410_trace) << "experiments not deleted: a run is under way";
        return std::nullopt;
    }
    const int count = records.experiment_count();
    const QVector<int> rows = experiment_list::valid_rows(std::min(count, ui->listWidget->count()), requested);
    const experiment_list::deletion_plan plan = experiment_list::plan_deletion(count, rows);
    if (plan.deleted.isEmpty())
        return std::nullopt;

    // Looks first, before any curve changes, so that each moved record keeps its own.
    QVector<QPair<curve_look, curve_look>> looks;
    for (const auto &move : plan.moves)
        looks.push_back({look_of(records[move.first].ch1_curve), look_of(records[move.first].ch2_curve)});
    for (int i = 0; i < plan.moves.size(); ++i) {
        const int to = plan.moves[i].second;
        move_record(plan.moves[i].first, to);
        give_look(records[to].ch1_curve, looks[i].first);
        give_look(records[to].ch2_curve, looks[i].second);
    }
    for (int i = plan.count_after; i < count; ++i)
        release_record_curves(i);
    records.shrink_to(plan.count_after);
    platform::give_back_freed_memory();

    {
        const QSignalBlocker blocker(ui->listWidget);
        for (int i = plan.deleted.size() - 1; i >= 0; --i)
            delete ui->listWidget->takeItem(plan.deleted[i]);
    }
    ui->details->clear();
    return plan.current_after;
}

void MainWindow::show_row_after_removal(int row)
{
    // The row made current is shown and fitted as a click shows it. In the overlay view a row is current only
    // while it is drawn: with no selected row left none is made current, so that no command acts on a row that
    // is not on show.
    const bool single = ui->listWidget->selectionMode() == QAbstractItemView::SingleSelection;
    make_row_current(single || !selection_snapshot().isEmpty() ? row : -1);
    if (current_row_in_use()) {
        on_listWidget_itemClicked(ui->listWidget->currentItem());
    } else if (ui->listWidget->count() == 0) {
        show_no_record_in_details();
    } else {
        const QSignalBlocker blocker(ui->details_box);
        ui->details_box->clear();
    }
    update_buttons();
}

void MainWindow::show_no_record_in_details()
{
    // An emptied list leaves DETAILS as it stood at start: no record named, none of its colours, electrodes or
    // hiding, and the buttons that act on a record off.
    {
        const QSignalBlocker blocker(ui->details_box);
        ui->details_box->clear();
    }
    ui->details->clear();
    set_electrode_boxes(false, false);
    ui->Open_Experiment_2->setChecked(false);
    paint_swatches_as_at_start();
    update_buttons();
}

void MainWindow::update_buttons()
{
    if (ui->listWidget->count() == 0) {
        ui->Delete_Experiment->setEnabled(false);
        ui->Save_Experiment->setEnabled(false);
        ui->Save_Experiment_2->setEnabled(false);
        ui->Delete_Experiment_2->setEnabled(false);
        return;
    }
    QStringList texts;
    for (int i = 0; i < ui->listWidget->count(); ++i)
        texts << ui->listWidget->item(i)->text();
    const int named = experiment_list::last_row_named(texts, ui->New_Experiment_Name->text());
    const bool found = named >= 0 && named < records.experiment_count();
    // No record may be removed while a run writes into one, and the running record has no file to save yet.
    const int running = running_record_index();
    ui->Delete_Experiment->setEnabled(found && !run_in_progress());
    ui->Save_Experiment->setEnabled(found && records[named].saved == 0 && named != running);
    ui->Delete_Experiment_2->setEnabled(!run_in_progress());
    const int record = selected_rows();
    ui->Save_Experiment_2->setEnabled(record >= 0 && records[record].saved == 0 && record != running);
    if (current_row_in_use()) {
        const int row = ui->listWidget->currentRow();
        ui->Save->setEnabled(row != running &&
                             experiment_list::save_enabled(true, selection_snapshot().size(), records[row].saved != 0));
        ui->actionSave->setEnabled(ui->Save->isEnabled());
    }
}

// ---- renaming ----

void MainWindow::on_listWidget_itemDoubleClicked(QListWidgetItem *item)
{
    if (!item || (item->flags() & Qt::ItemIsEditable))
        return;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    ui->listWidget->editItem(item);
}

void MainWindow::on_listWidget_itemChanged(QListWidgetItem *item)
{
    const int row = ui->listWidget->row(item);
    if (row < 0 || row >= records.experiment_count())
        return;
    curve &record = records[row];
    const QString text = item->text();
    if (text == record.name)
        return;
    record.name = text;
    mark_unsaved(row);
    record.ch1_curve->setName(experiment_list::we1_curve_name(text));
    record.ch2_curve->setName(experiment_list::we2_curve_name(text));
    show_name_in_details(row, text);
    // A rename leaves what is on show as it was: a row out of view keeps its curves off the plot and the legend.
    if (item->isSelected())
        apply_record_visibility(row);
    qcp::replot_hint(ui->widget);
}

void MainWindow::mark_unsaved(int row)
{
    QListWidgetItem *item = ui->listWidget->item(row);
    if (!item || row >= records.experiment_count())
        return;
    {
        // The font change is itself an item change; it must not come back to the rename slot.
        const QSignalBlocker blocker(ui->listWidget);
        QFont font = item->font();
        font.setFamily(row_font_family);
        font.setItalic(true);
        font.setWeight(QFont::Normal);
        item->setFont(font);
    }
    records[row].saved = 0;
    // The running record stays without a file until its run has ended.
    const bool may_save = row != running_record_index();
    ui->Save->setEnabled(may_save);
    ui->actionSave->setEnabled(may_save);
    ui->Save_Experiment_2->setEnabled(may_save);
}

void MainWindow::show_name_in_details(int record, const QString &name)
{
    // The details box entry that names the record: the only one when the record is the one selected, or with
    // several selected rows the record's own entry (entry 0 is the summary).
    QComboBox *box = ui->details_box;
    const int position = selection_snapshot().indexOf(record);
    int entry = -1;
    if (box->count() == 1 && position == 0)
        entry = 0;
    else if (box->count() > 1 && position >= 0 && position + 1 < box->count())
        entry = position + 1;
    if (entry >= 0) {
        const QSignalBlocker blocker(box);
        box->setItemText(entry, name);
    }
    // In overlay view the summary lists the selected rows by name.
    if (summary_entry_current())
        on_details_box_currentIndexChanged(0);
}

// ---- adding and naming ----

void MainWindow::add_opened_experiment(const QString &name)
{
    const int n = records.experiment_count() - 1;
    if (n < 0 || n != ui->listWidget->count())
        return;
    curve &record = records[n];
    record.name = name;

    {
        const QSignalBlocker blocker(ui->listWidget);
        auto *item = new QListWidgetItem(name);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setFont(row_font(false));
        ui->listWidget->addItem(item);
    }
    {
        const QSignalBlocker blocker(ui->details_box);
        ui->details_box->addItem(name);
    }
    const int pair = palette_pair_for_record(n);
    record.ch1_colour = pair_colour_ch1(pair);
    record.ch2_colour = pair_colour_ch2(pair);
    record.ch1_curve->setName(experiment_list::we1_curve_name(name));
    record.ch2_curve->setName(experiment_list::we2_curve_name(name));
    set_legend_entry(record.ch1_curve, true);
    set_legend_entry(record.ch2_curve, true);
    record.saved = 1;
    record.ch1_shown = 1;
    record.ch2_shown = 1;
    set_electrode_boxes(true, true);
    record.ch1_curve->setPen(we1_pen(n));
    record.ch2_curve->setPen(we2_pen(n));
    ui->widget->xAxis->setRange(record.e_min, record.e_max);
    ui->widget->yAxis->setRange(record.i_min, record.i_max);
    qcp::replot_hint(ui->widget);

    ui->listWidget->item(n)->setSelected(true);
    make_row_current(n);
    on_listWidget_itemClicked(ui->listWidget->item(n));
    if (!ui->Open_Experiment_5->isChecked())
        on_Open_Experiment_5_clicked();
    toggle_multi_selection();
    on_details_box_currentIndexChanged(ui->details_box->currentIndex());
    refresh_experiment_list();
    qcp::replot_hint(ui->widget);
    if (selection_snapshot().size() > 1)
        paint_swatches_blank();
}

bool MainWindow::file_exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void MainWindow::on_actionNew_triggered()
{
    ui->New_Experiment_Name->setText(experiment_list::free_experiment_name(&MainWindow::file_exists));
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    answer_drag_enter(event, QStringLiteral(".qve"));
}
