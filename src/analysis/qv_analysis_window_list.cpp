// The list of analyses: showing the selection (the screen's central refresh), renaming, the details panel,
// single and overlay views, hiding, tangent colours and the list menu's whole-list actions.
#include <QComboBox>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

#include "analysis/analysis_list_rules.h"
#include "analysis/analysis_values.h"
#include "analysis/qv_analysis_window.h"
#include "dialogs/user_notice.h"
#include "lists/experiment_list_logic.h"
#include "lists/list_selection.h"
#include "lists/selection_before_press.h"
#include "platform/memory_release.h"
#include "platform/trace.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"
#include "ui_qv_analysis_window.h"

namespace {
const QString row_font_family = QStringLiteral("Calibri");
constexpr int row_font_points = 9;
}  // namespace

// ---- helpers ----

int qv_analysis_window::analysis_count() const
{
    return std::min(ui->recent_analyses->count(), int(analysis_records::capacity));
}

int qv_analysis_window::current_analysis() const
{
    const int row = ui->recent_analyses->currentRow();
    return row >= 0 && row < analysis_count() ? row : -1;
}

int qv_analysis_window::analysis_on_show() const
{
    return analysis_list::row_on_show(current_analysis(), selected_analyses());
}

QVector<int> qv_analysis_window::analyses_drawn() const
{
    return analysis_list::rows_to_draw(ui->Open_Experiment_6->isChecked(), analysis_on_show(), selected_analyses());
}

QVector<int> qv_analysis_window::selected_analyses() const
{
    return list_selection::selected_rows(ui->recent_analyses, analysis_count());
}

QStringList qv_analysis_window::selected_names() const
{
    QStringList names;
    for (int r : selected_analyses())
        names << ui->recent_analyses->item(r)->text();
    return names;
}

QStringList qv_analysis_window::row_texts() const
{
    QStringList texts;
    for (int i = 0; i < analysis_count(); ++i)
        texts << ui->recent_analyses->item(i)->text();
    return texts;
}

void qv_analysis_window::make_current(int row, bool select) { list_selection::make_current(ui->recent_analyses, row, select); }

void qv_analysis_window::set_row_font(int row, bool italic)
{
    QListWidgetItem *item = ui->recent_analyses->item(row);
    if (!item)
        return;
    // A font change is an item change too; set by the program it must not pass for a rename.
    const QSignalBlocker held(ui->recent_analyses);
    QFont font(row_font_family, row_font_points, QFont::Normal);
    font.setItalic(italic);
    item->setFont(font);
}

void qv_analysis_window::hide_analyses()
{
    for (int i = 0; i < analysis_records::capacity; ++i) {
        curve &a = book.record(i);
        analysis_result &res = book.result(i);
        a.ch1_curve->setVisible(false);
        a.ch1_curve->removeFromLegend();
        a.ch2_curve->setVisible(false);
        res.anodic_tangent->setVisible(false);
        res.cathodic_tangent->setVisible(false);
    }
}

void qv_analysis_window::show_analysis(int row, bool shown)
{
    // An analysis is drawn with its own two tangents in its own colours; one that found no tangent has empty
    // tangent curves, so nothing of an earlier result stands in for them.
    book.record(row).ch1_curve->setVisible(shown);
    book.result(row).anodic_tangent->setVisible(shown);
    book.result(row).cathodic_tangent->setVisible(shown);
}

void qv_analysis_window::add_to_legend(int row)
{
    // A curve added is put last; the entries are laid out again so that the legend reads as the list does,
    // whichever row was analysed or selected last.
    QVector<QCPCurve *> entries;
    for (int i = 0; i < analysis_count(); ++i) {
        QCPCurve *c = book.record(i).ch1_curve;
        if (c->removeFromLegend() || i == row)
            entries << c;
    }
    for (QCPCurve *c : entries)
        c->addToLegend();
}

void qv_analysis_window::hide_all_curves()
{
    for (int n = 0; n < received; ++n) {
        experiments[size_t(n)].ch1_curve->setVisible(false);
        experiments[size_t(n)].ch2_curve->setVisible(false);
    }
    hide_analyses();
}

void qv_analysis_window::show_values(int row)
{
    const analysis_result &res = book.result(row);
    ui->epa->setText(analysis_list::shown_value(res.Epa));
    ui->epc->setText(analysis_list::shown_value(res.Epc));
    ui->ipa->setText(analysis_list::shown_value(res.Ipa));
    ui->ipc->setText(analysis_list::shown_value(res.Ipc));
}

void qv_analysis_window::fill_details(const QString &heading)
{
    const signal_hold held = hold({ui->details_box});
    ui->details_box->clear();
    ui->details->clear();
    const int cur = current_analysis();
    if (cur < 0)
        return;
    const analysis_list::details_view view =
        analysis_list::details_for(ui->Open_Experiment_6->isChecked(), book.record(cur).name, book.record(cur).details,
                                   selected_names(), heading);
    ui->details_box->addItems(view.box_entries);
    ui->details_box->setCurrentIndex(0);
    ui->details->addItems(view.lines);
}

void qv_analysis_window::refresh_details() { fill_details(analysis_list::click_heading(selected_analyses().size())); }

void qv_analysis_window::show_no_analysis()
{
    // No number of an analysis that is gone stays on show, and the next one can be made at once.
    for (QLabel *label : {ui->epa, ui->ipa, ui->epc, ui->ipc})
        label->clear();
    {
        const signal_hold held = hold({ui->details_box});
        ui->details_box->clear();
    }
    ui->details->clear();
    ui->Stop->setEnabled(true);
    set_save_buttons(false);
    rotation_sliders_off();
}

void qv_analysis_window::rotation_sliders_off()
{
    // No tangent is drawn to turn: a rotation slider that moved would show a turn never applied. A row shown
    // again sets them to its stored rotation and enables them as its saved state allows.
    ui->tangent->setEnabled(false);
    ui->cathodic_2->setEnabled(false);
}

void qv_analysis_window::set_save_buttons(bool enabled)
{
    const signal_hold held = hold({ui->Save_Analysis, ui->Save_Analysis_3});
    ui->Save_Analysis->setEnabled(enabled);
    ui->Save_Analysis_3->setEnabled(enabled);
}

// ---- showing the selection ----

void qv_analysis_window::load_controls_from(int row)
{
    const analysis_result &res = book.result(row);
    {
        const signal_hold held = hold_selection_controls();
        // The experiment it was made from, whatever other entries of the box share its name.
        const bool known = res.experiment_row >= 0 && res.experiment_row < received;
        const int exp = known ? res.experiment_row : ui->Experiment_2B_Analyzed->currentIndex();
        set_anchor_ranges(res.anodic_max, res.cathodic_max);
        ui->anodic->setValue(res.current_anodic);
        ui->cathodic->setValue(res.current_cathodic);
        ui->tangent->setValue(res.current_tangent);
        // The cathodic rotation is kept negated; the slider shows the user's own position again.
        ui->cathodic_2->setValue(-res.current_cathodic_2);
        ui->Experiment_2B_Analyzed->setCurrentIndex(exp);
        ui->channel_to_analyze->setCurrentIndex(res.channel_index);
        ui->Cycle_to_analyze->setCurrentIndex(res.cycle_index);
    }
    {
        // The method and Pearson settings the analysis was made with, shown without analysing again.
        const signal_hold held = hold({ui->Method_2, ui->slider_rate, ui->slider_sample});
        const int method = ui->Method_2->findText(res.method_text);
        if (method >= 0) {
            ui->Method_2->setCurrentIndex(method);
            ui->method_list->setCurrentIndex(method);
        }
        ui->slider_rate->setValue(res.rr);
        ui->slider_sample->setValue(res.sample);
    }
    ui->analysis_name->setText(ui->recent_analyses->item(row)->text());
}

void qv_analysis_window::on_recent_analyses_itemClicked(QListWidgetItem *)
{
    QListWidget *list = ui->recent_analyses;
    hide_all_curves();
    const QVector<int> selected = selected_analyses();
    if (selected.isEmpty()) {
        const signal_hold held = hold({ui->details_box});
        ui->details->clear();
        ui->details_box->clear();
        rotation_sliders_off();
        replot();
        return;
    }
    const int cur = current_analysis();
    if (cur < 0 || !list->item(cur)->isSelected()) {
        // A click that unselected the current row hands the focus to the first row still selected.
        const signal_hold held = hold({list});
        make_current(selected.first(), true);
        on_recent_analyses_itemClicked(list->item(selected.first()));
        return;
    }

    const analysis_result &res = book.result(cur);
    if (ui->Experiment_2B_Analyzed->currentIndex() >= 0)
        load_controls_from(cur);
    fill_cycle_and_channel(ui->Experiment_2B_Analyzed->currentIndex(), refill::restore);
    if (res.cycle_index < ui->Cycle_to_analyze->count()) {
        const QSignalBlocker held(ui->Cycle_to_analyze);
        ui->Cycle_to_analyze->setCurrentIndex(res.cycle_index);
    }

    // Only the analyses drawn are in the legend.
    for (int r : analyses_drawn()) {
        show_analysis(r, book.record(r).ch1_shown != 0);
        book.record(r).ch1_curve->addToLegend();
    }
    fill_details(analysis_list::click_heading(selected.size()));

    show_values(cur);
    const curve &a = book.record(cur);
    ui->widget2->xAxis->setRange(a.e_min, a.e_max);
    ui->widget2->yAxis->setRange(a.i_min, a.i_max);
    replot();

    update_hide_button();
    set_widgets_enabled(a.saved == 0);
    set_save_buttons(analysis_list::save_offered(selected.size(), true, a.saved != 0));
}

void qv_analysis_window::show_row_the_user_picked()
{
    // The analysis on show is always the one the save, image and delete commands act on.
    on_recent_analyses_itemClicked(ui->recent_analyses->currentItem());
}

// ---- renaming ----

void qv_analysis_window::on_recent_analyses_itemDoubleClicked(QListWidgetItem *item)
{
    if (!item)
        return;
    // The double-click's first press went in as a click: it toggled the row and made it current. Renaming
    // changes neither, so the selection and current row from before it come back, and what the plot showed.
    bool restored = false;
    {
        const signal_hold held = hold({ui->recent_analyses});
        restored = before_press->restore(ui->recent_analyses->row(item));
    }
    if (restored)
        on_recent_analyses_itemClicked(ui->recent_analyses->currentItem());
    item->setFlags(item->flags() | Qt::ItemIsEditable);
}

void qv_analysis_window::on_recent_analyses_itemChanged(QListWidgetItem *item)
{
    const int row = ui->recent_analyses->row(item);
    if (row < 0 || row >= analysis_count())
        return;
    curve &a = book.record(row);
    const QString text = item->text();
    if (text != a.name) {
        if (!analysis_list::usable_name(text)) {
            // The name becomes a file name when the analysis is saved; an unusable one is taken back.
            const QSignalBlocker held(ui->recent_analyses);
            item->setText(a.name);
            return;
        }
        set_row_font(row, true);
        a.name = text;
        a.saved = 0;
        a.ch1_curve->setName(text);
        a.ch2_curve->setName(text);
        // The field names the analysis the sliders and the name buttons act on: the row on show keeps it, or
        // the next analysis would go to a new row under the old name.
        if (row == current_analysis())
            ui->analysis_name->setText(text);
        replot();
    }
    // The selection stays as it is: a renamed row that is drawn keeps its place on the plot and in the legend,
    // and one that is not is not highlighted as if it were.
    fill_details(experiment_list::summary_heading(selected_analyses().size()));
}

// ---- details box ----

void qv_analysis_window::on_details_box_currentIndexChanged(int index)
{
    if (ui->details_box->count() <= 1 || index < 0)
        return;
    const QVector<int> selected = selected_analyses();
    ui->details->clear();
    if (index == 0) {
        ui->details->addItem(experiment_list::summary_heading(selected.size()));
        ui->details->addItems(selected_names());
        return;
    }
    if (index - 1 < selected.size())
        ui->details->addItems(book.record(selected.at(index - 1)).details);
}

// ---- views ----

void qv_analysis_window::on_Open_Experiment_6_clicked()
{
    QListWidget *list = ui->recent_analyses;
    if (ui->Open_Experiment_6->isChecked()) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        const int cur = current_analysis();
        if (cur >= 0)
            make_current(cur, true);
        else if (analysis_count() > 0)
            make_current(0, true);
    } else {
        list->setSelectionMode(QAbstractItemView::MultiSelection);
    }
    fill_details(experiment_list::summary_heading(selected_analyses().size()));
    on_recent_analyses_itemClicked(list->currentItem());
}

void qv_analysis_window::on_Open_Experiment_2_clicked()
{
    if (analysis_on_show() < 0) {
        // The click toggled the button; with nothing on show there is nothing it hid or showed.
        update_hide_button();
        return;
    }
    const bool shown = !ui->Open_Experiment_2->isChecked();
    for (int r : selected_analyses()) {
        book.record(r).ch1_shown = shown ? 1 : 0;
        show_analysis(r, shown);
    }
    replot();
}

void qv_analysis_window::update_hide_button()
{
    // Checked means hidden: so it reads while any selected analysis is hidden, and only then.
    bool any_hidden = false;
    for (int r : selected_analyses())
        any_hidden = any_hidden || book.record(r).ch1_shown == 0;
    const QSignalBlocker held(ui->Open_Experiment_2);
    ui->Open_Experiment_2->setChecked(any_hidden);
}

void qv_analysis_window::update_color(uint8_t anodic_pair, uint8_t cathodic_pair)
{
    for (int r : selected_analyses()) {
        analysis_result &res = book.result(r);
        res.colour_a = pair_colour_ch1(anodic_pair);
        res.colour_b = pair_colour_ch2(cathodic_pair);
        res.anodic_tangent->setPen(tangent_pen(res.colour_a));
        res.cathodic_tangent->setPen(tangent_pen(res.colour_b));
    }
    replot();
}

// ---- whole list ----

void qv_analysis_window::select_all()
{
    {
        const QSignalBlocker held(ui->recent_analyses);
        for (int i = 0; i < analysis_count(); ++i)
            ui->recent_analyses->item(i)->setSelected(true);
    }
    on_recent_analyses_itemClicked(ui->recent_analyses->currentItem());
}

void qv_analysis_window::unselect_all()
{
    {
        const QSignalBlocker held(ui->recent_analyses);
        ui->recent_analyses->clearSelection();
    }
    on_recent_analyses_itemClicked(nullptr);
}

void qv_analysis_window::clear_all()
{
    const int count = analysis_count();
    if (count == 0)
        return;
    unselect_all();
    // Nothing of a cleared analysis stays behind for the next analysis made in its place.
    for (int i = 0; i < count; ++i)
        book.reset(i);
    {
        const signal_hold held = hold({ui->recent_analyses});
        ui->recent_analyses->clear();
    }
    show_no_analysis();
    update_buttons();
    replot();
    platform::give_back_freed_memory();
}

void qv_analysis_window::open_file_loc()
{
    const int row = analysis_on_show();
    if (row < 0)
        return;
    const QString &folder = book.result(row).folder;
    qCDebug(rz410_trace) << "open folder of row" << row;
    open_folder_location(this, folder);
}
