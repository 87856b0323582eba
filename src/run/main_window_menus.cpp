// The run screen's right-click menus on the list and the plot, and saving the plot as an image.
#include "run/mainwindow.h"

#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QToolButton>
#include <memory>

#include "lists/context_menu_rules.h"
#include "plot/plot_image_export.h"
#include "plot/qcp_compat.h"
#include "shell/settings_file.h"
#include "ui_mainwindow.h"

context_menu::screen_state MainWindow::menu_state() const
{
    context_menu::screen_state s;
    const int rows = ui->listWidget->count();
    s.rows.reserve(size_t(rows));
    for (int i = 0; i < rows; ++i) {
        context_menu::list_row row;
        row.selected = ui->listWidget->item(i)->isSelected();
        if (valid_record(i)) {
            const curve &r = records[i];
            row.saved = r.saved != 0;
            row.filter_hz = r.filter_hz;
            row.directory = r.directory;
        }
        s.rows.push_back(row);
    }
    s.current_row = ui->listWidget->currentRow();
    s.run_in_progress = run_in_progress();
    s.overlay_checked = ui->Open_Experiment_5->isChecked();
    return s;
}

void MainWindow::show_select_menu(const QPoint &pos)
{
    const context_menu::list_menu rules = context_menu::list_menu_for(menu_state());

    // Built for this request only: the menu, its entries and their connections go when it closes.
    QMenu menu(this);
    auto add = [&menu, this](const QString &text, bool enabled, void (MainWindow::*slot)()) {
        QAction *action = menu.addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add(tr("Select All"), rules.select_all, &MainWindow::select_all);
    add(tr("Unselect All"), rules.unselect_all, &MainWindow::unselect_all);
    add(tr("Clear All"), rules.clear_all, &MainWindow::clear_all);
    add(tr("Clear All Unsaved"), rules.clear_all_unsaved, &MainWindow::clear_all_unsaved);

    QMenu *filter = menu.addMenu(tr("Filter"));
    filter->setEnabled(rules.filter_submenu);
    struct filter_entry {
        const char *text;
        void (MainWindow::*slot)();
    };
    static const filter_entry entries[context_menu::filter_entry_count] = {
        {QT_TR_NOOP("Raw Data"), &MainWindow::filt_menuraw}, {QT_TR_NOOP("0.5Hz"), &MainWindow::filt_menu05},
        {QT_TR_NOOP("1Hz"), &MainWindow::filt_menu1},        {QT_TR_NOOP("2Hz"), &MainWindow::filt_menu2},
        {QT_TR_NOOP("5Hz"), &MainWindow::filt_menu5},        {QT_TR_NOOP("10Hz"), &MainWindow::filt_menu10},
    };
    for (int i = 0; i < context_menu::filter_entry_count; ++i) {
        QAction *action = filter->addAction(tr(entries[i].text));
        action->setCheckable(true);
        action->setChecked(i == rules.checked_filter);
        action->setEnabled(rules.filter_enabled[size_t(i)]);
        connect(action, &QAction::triggered, this, entries[i].slot);
    }

    add(tr("Open File Location"), rules.open_file_location, &MainWindow::open_file_loc);

    // The list reports the point in its viewport, inside the frame.
    menu.exec(ui->listWidget->viewport()->mapToGlobal(pos));
}

void MainWindow::ShowContextMenu(const QPoint &pos)
{
    QMenu menu(tr("Context menu"), this);
    QAction *legend = menu.addAction(context_menu::legend_entry_text(legend_shown != 0));
    connect(legend, &QAction::triggered, this, &MainWindow::legend_menu);
    QAction *axis = menu.addAction(tr("Set Axis"));
    connect(axis, &QAction::triggered, this, &MainWindow::set_axis);
    menu.exec(ui->widget->mapToGlobal(pos));
}

void MainWindow::on_Image_clicked()
{
    // The picture is named after the record on show; a current row left undrawn names nothing in it.
    if (!current_row_on_show())
        return;
    const QListWidgetItem *current = ui->listWidget->currentItem();

    const plot_image::format format = plot_image::format_from_settings(settings_file::read_lines());
    const QString proposal = plot_image::default_path(ui->user_box->currentText(), current->text(), format);
    const QString caption = plot_image::dialog_caption();
    const QString filter = plot_image::dialog_filter(format);
    complete_user_folder();
    const QString path =
        ask_image_path ? ask_image_path(caption, proposal, filter) : QFileDialog::getSaveFileName(this, caption, proposal, filter);
    if (path.isEmpty())
        return;

    // The chosen format decides the data, whatever ending the user typed.
    QCustomPlot *plot = ui->widget;
    const plot_image::write_result result = plot_image::write_replacing(path, [plot, format](const QString &temp_path) {
        return format == plot_image::format::png ? qcp::save_png(plot, temp_path) : qcp::save_jpg(plot, temp_path);
    });
    if (result.ok)
        return;
    if (show_image_message)
        show_image_message(result.title, result.text);
    else
        QMessageBox::information(this, result.title, result.text, QMessageBox::Ok);
}
