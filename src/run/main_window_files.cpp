// The run screen's file commands: opening, saving, exporting and autosaving experiments, and protocols.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QUrl>
#include <algorithm>
#include <optional>

#include "dialogs/user_notice.h"
#include "files/experiment_reader.h"
#include "files/experiment_writer.h"
#include "files/file_naming.h"
#include "files/protocol_file.h"
#include "lists/experiment_list_logic.h"
#include "plot/qcp_compat.h"
#include "run/file_progress.h"
#include "run/mainwindow.h"
#include "run/method_setup.h"
#include "run/record_conversion.h"
#include "run/run_start.h"
#include "shell/app_state.h"
#include "shell/user_folders.h"
#include "ui_mainwindow.h"
#include "platform/trace.h"

namespace {

const QString error_title = QStringLiteral("Error");
const QString running_text =
    QStringLiteral("An experiment is running. Open the file when the run has ended.");

QFont saved_row_font() { return QFont(QStringLiteral("Calibri"), 12, QFont::Normal, false); }

// Whether `path` is the file the record was opened from or last saved to.
bool is_own_file(const curve &record, const QString &path)
{
    if (record.directory.isEmpty() || record.saved_name.isEmpty())
        return false;
    const QString own = QFileInfo(record.directory + record.saved_name + QStringLiteral(".qve")).canonicalFilePath();
    return !own.isEmpty() && own == QFileInfo(path).canonicalFilePath();
}

}  // namespace

// ---- seams ----

void MainWindow::complete_user_folder() const
{
    // A dialog given a folder that does not exist opens where the last one was: another user's folder maybe.
    user_folders::complete_user_folder(ui->user_box->currentText());
}

QString MainWindow::chosen_save_path(const QString &caption, const QString &proposal, const QString &filter)
{
    complete_user_folder();
    if (ask_save_path)
        return ask_save_path(caption, proposal, filter);
    return QFileDialog::getSaveFileName(this, caption, proposal, filter);
}

QString MainWindow::chosen_open_path(const QString &caption, const QString &start, const QString &filter)
{
    complete_user_folder();
    if (ask_open_path)
        return ask_open_path(caption, start, filter);
    return QFileDialog::getOpenFileName(this, caption, start, filter);
}

bool MainWindow::confirm_replace(const QString &title, const QString &path)
{
    const QString question =
        QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName());
    if (ask_replace)
        return ask_replace(title, question);
    return QMessageBox::question(this, title, question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

QString MainWindow::ask_save_target(const QString &caption, const QString &proposal, const QString &filter,
                                    const QString &extension)
{
    return choose_save_target(
        proposal, extension, [&](const QString &start) { return chosen_save_path(caption, start, filter); },
        [&](const QString &path) { return confirm_replace(caption, path); });
}

void MainWindow::tell_file_error(const QString &title, const QString &text)
{
    // The user reads it in the box; a terminal copy would only repeat it.
    qCDebug(rz410_trace).noquote() << title << text;
    if (show_file_error)
        show_file_error(title, text);
    else
        QMessageBox::critical(this, title, text, QMessageBox::Ok);
}

// ---- opening ----

void MainWindow::on_Open_clicked()
{
    // The form's own Open button asks for this one opening only; a cancel or a refusal uses it up too, so
    // that a later drop does not overwrite the form unasked.
    const bool fill_form = open_from_button != 0;
    open_from_button = 0;

    const QString path = !state.pending_open_path.isEmpty()
                             ? state.pending_open_path
                             : chosen_open_path(QStringLiteral("Open Quelvarin file"), state.experiments_dir,
                                                QStringLiteral("QVE (*.qve)"));
    const QString base = file_base_name(path);
    if (base.isEmpty())
        return;
    if (records.full()) {
        tell_file_error(error_title, start_refusal_text(start_refusal::records_full));
        return;
    }
    // The run under way writes into its record after every batch; the records must hold still until it ends.
    if (run_in_progress()) {
        tell_file_error(error_title, running_text);
        return;
    }

    if (file_operation_running)
        return;  // an opening asked for from another instance while a file is being read or written
    const file_busy busy(file_operation_running);
    // The file is read on a thread of its own; a cancel before it has been read leaves everything as it was.
    std::optional<file_progress> progress(std::in_place, this,
                                          QStringLiteral("Opening %1 ...").arg(QFileInfo(path).fileName()), true);
    const method_pages form = protocol_form_values();
    const opened_experiment opened = progress->run_aside(
        [&](const std::function<bool(double)> &report) {
            return read_for_plot(path, form, [&](double f) {
                return report(f) && (!opening_goes_on || opening_goes_on(f));
            });
        });
    const experiment_load &load = opened.load;
    if (load.cancelled || progress->cancelled())
        return;
    if (!load.contents) {
        progress.reset();
        tell_file_error(error_title, load.error);
        return;
    }

    QStringList rows;
    for (int i = 0; i < ui->listWidget->count(); ++i)
        rows << ui->listWidget->item(i)->text();
    const QString name = unique_list_name(base, rows);

    const int n = records.take_next();
    if (n < 0)
        return;
    state.experiments_dir = remembered_folder(path) + QLatin1Char('/');
    curve &record = records[n];
    data_to_record(load.contents->record, opened.points, record, [&] { progress->step(0.95); });
    progress.reset();
    record.directory = state.experiments_dir;
    record.saved_name = base;  // with the folder, names the file it came from
    if (fill_form && !load.contents->legacy_layout)
        refill_method_form(*load.contents);
    add_opened_experiment(name);
    // Listed as far as it is whole; the user must know that its end is missing.
    if (!load.warning.isEmpty())
        tell_file_error(QStringLiteral("Warning"), load.warning);
}

void MainWindow::on_actionOpen_triggered() { on_Open_clicked(); }

void MainWindow::on_Open_Experiment_clicked()
{
    open_from_button = 1;
    on_Open_clicked();
}

void MainWindow::onMessageReceived(const QString &message)
{
    state.pending_open_path = message;
    on_Open_clicked();
    state.pending_open_path.clear();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasUrls())
        return;
    for (const QUrl &url : event->mimeData()->urls()) {
        const QString path = url.toLocalFile();
        qCDebug(rz410_trace).noquote() << "Dropped file:" << path;
        if (!is_droppable_experiment(path))
            continue;
        state.pending_open_path = path;
        on_Open_clicked();
        state.pending_open_path.clear();
    }
    event->acceptProposedAction();
}

void MainWindow::open_startup_experiment()
{
    const QString &path = app_state::startup_experiment_path;
    if (path.isEmpty() || !file_exists(path))
        return;
    state.pending_open_path = path;
    on_Open_clicked();
    state.pending_open_path.clear();
}

// The method form takes the opened file's parameters: the read method's page only, the name, the electrodes.
void MainWindow::refill_method_form(const experiment_file_contents &contents)
{
    ui->New_Experiment_Name->setText(contents.experiment_name);
    ui->Method->setCurrentIndex(static_cast<int>(contents.method));
    load_method_page(contents.method, contents.form, false);
    ui->Channel_WE1->setChecked(contents.we1);
    ui->Channel_WE2->setChecked(contents.we2);
}

// ---- the method form as values ----

void MainWindow::set_step_box(int step)
{
    // The range goes first, so that a stored 736 (the 0.736 mV step) is not clamped to 99.
    const scan_step_box shown = scan_step_box_for(step);
    QSpinBox *box = ui->Scan_step;
    const QSignalBlocker blocker(box);
    box->setRange(std::min(shown.minimum, box->minimum()), std::max(shown.maximum, box->maximum()));
    box->setValue(shown.value);
    box->setRange(shown.minimum, shown.maximum);
    ui->resolution_label->setText(shown.unit);
}

method_pages MainWindow::protocol_form_values() const
{
    method_pages p;
    p.cv.er1_mV = ui->Er1->value();
    p.cv.er2_mV = ui->Er2->value();
    p.cv.ei_mV = ui->Ei->value();
    p.cv.ei_equals_er1 = ui->EiEqEr1->isChecked();
    p.cv.rate_mV_s = ui->Scan_Rate->value();
    p.cv.repeat = ui->Repeat_No->value();
    p.cv.step = ui->Scan_step->value();
    p.dpv.ei_mV = ui->dpv_ei->value();
    p.dpv.ef_mV = ui->dpv_ef->value();
    p.dpv.step_mV = ui->dpv_step->value();
    p.dpv.width_ms = ui->dpv_width->value();
    p.dpv.period_ms = ui->dpv_period->value();
    p.dpv.amplitude_mV = ui->dpv_amplitude->value();
    p.swv.ei_mV = ui->swv_ei->value();
    p.swv.ef_mV = ui->swv_ef->value();
    p.swv.step_mV = ui->swv_step->value();
    p.swv.freq_Hz = ui->swv_freq->value();
    p.swv.amplitude_mV = ui->swv_amp->value();
    p.lsv.ei_mV = ui->lsv_ei->value();
    p.lsv.ef_mV = ui->lsv_ef->value();
    p.lsv.rate_mV_s = ui->lsv_rate->value();
    p.npv.ei_mV = ui->npv_ei->value();
    p.npv.ef_mV = ui->npv_ef->value();
    p.npv.step_mV = ui->npv_step->value();
    p.npv.width_ms = ui->npv_width->value();
    p.npv.period_ms = ui->npv_period->value();
    p.chrono.ei_mV = ui->chr_ei->value();
    p.chrono.e1_mV = ui->chr_e1->value();
    p.chrono.e2_mV = ui->chr_e2->value();
    p.chrono.t1_ms = ui->chr_t1->value();
    p.chrono.steps = ui->chr_steps->value();
    p.ampero.potential_mV = ui->ampero_potential->value();
    p.ampero.run_time_ms = ui->ampero_run_time->value();
    return p;
}

// Fills one method page in the order its values are stored; the boxes clamp what lies outside their ranges.
// `untick_allowed`: a protocol sets Ei=Er1 either way, an opened file only ticks it.
void MainWindow::load_method_page(method_index method, const method_pages &p, bool untick_allowed)
{
    switch (method) {
    case method_index::cyclic: {
        // The step settles before the rates: their limit follows the step that was loaded.
        const cv_page_load page = load_cv_page(p.cv, ui->Channel_WE1->isChecked(), ui->Channel_WE2->isChecked(),
                                               ui->lsv_rate->value());
        ui->Er1->setValue(page.values.er1_mV);
        ui->Er2->setValue(page.values.er2_mV);
        if (p.cv.ei_equals_er1 || untick_allowed) {
            ui->EiEqEr1->setChecked(p.cv.ei_equals_er1);
            ui->Ei->setEnabled(page.ei_enabled);
            ui->Ei->setValue(page.values.ei_mV);
        } else {
            ui->Ei->setValue(p.cv.ei_mV);
        }
        ui->Repeat_No->setValue(page.values.repeat);
        set_step_box(p.cv.step);
        ui->Scan_Rate->setMaximum(page.limits.maximum);
        ui->lsv_rate->setMaximum(page.limits.maximum);
        ui->Scan_Rate->setValue(page.values.rate_mV_s);
        ui->lsv_rate->setValue(page.limits.lsv_rate);
        break;
    }
    case method_index::differential_pulse:
        ui->dpv_ei->setValue(p.dpv.ei_mV);
        ui->dpv_ef->setValue(p.dpv.ef_mV);
        ui->dpv_step->setValue(p.dpv.step_mV);
        ui->dpv_width->setValue(p.dpv.width_ms);
        ui->dpv_period->setValue(p.dpv.period_ms);
        ui->dpv_amplitude->setValue(p.dpv.amplitude_mV);
        break;
    case method_index::square_wave:
        ui->swv_ei->setValue(p.swv.ei_mV);
        ui->swv_ef->setValue(p.swv.ef_mV);
        ui->swv_step->setValue(p.swv.step_mV);
        ui->swv_freq->setValue(p.swv.freq_Hz);
        ui->swv_amp->setValue(p.swv.amplitude_mV);
        break;
    case method_index::linear_sweep:
        ui->lsv_ei->setValue(p.lsv.ei_mV);
        ui->lsv_ef->setValue(p.lsv.ef_mV);
        ui->lsv_rate->setValue(p.lsv.rate_mV_s);
        break;
    case method_index::normal_pulse:
        ui->npv_ei->setValue(p.npv.ei_mV);
        ui->npv_ef->setValue(p.npv.ef_mV);
        ui->npv_step->setValue(p.npv.step_mV);
        ui->npv_width->setValue(p.npv.width_ms);
        ui->npv_period->setValue(p.npv.period_ms);
        break;
    case method_index::chronoamperometry:
        ui->chr_ei->setValue(p.chrono.ei_mV);
        ui->chr_e1->setValue(p.chrono.e1_mV);
        ui->chr_e2->setValue(p.chrono.e2_mV);
        ui->chr_t1->setValue(p.chrono.t1_ms);
        ui->chr_steps->setValue(p.chrono.steps);
        break;
    case method_index::amperometry: {
        ui->ampero_potential->setValue(p.ampero.potential_mV);
        const int64_t t = p.ampero.run_time_ms;
        ui->ampero_run_time->setValue(int(std::clamp<int64_t>(t, ui->ampero_run_time->minimum(),
                                                               ui->ampero_run_time->maximum())));
        break;
    }
    }
}

// ---- saving experiments ----

save_result MainWindow::write_in_parts(const QString &path, const experiment_data &fields, int record,
                                       const export_stamp &stamp)
{
    experiment_text_writer writer(fields, points_in_place(records[record]), stamp);
    if (!writer.has_layout()) {
        save_result result;
        result.error = QStringLiteral("The experiment's method \"%1\" has no file layout.").arg(fields.method);
        return result;
    }
    // A long record takes a while to write: it is written on a thread of its own and the window keeps painting
    // meanwhile, while user input waits, so the points written stay as they are.
    const file_busy busy(file_operation_running);
    file_progress progress(this, QStringLiteral("Saving %1 ...").arg(fields.name));
    return progress.run_aside([&](const std::function<bool(double)> &report) {
        return save_experiment_in_parts(path, writer, [&](double f) { report(f); });
    });
}

bool MainWindow::write_record_file(const QString &path, int record, const QString &name_in_file)
{
    // The running record would be written half-way and then read as saved, though the finished run exists
    // only as its autosave.
    if (record < 0 || record >= records.experiment_count() || record == running_record_index())
        return false;
    experiment_data fields = record_fields(records[record]);
    fields.name = name_in_file;
    const save_result result =
        write_in_parts(path, fields, record, export_stamp{QDateTime::currentDateTime(), ui->user_box->currentText()});
    if (!result.ok) {
        tell_file_error(error_title, result.error);
        return false;
    }
    records[record].saved = 1;
    show_as_saved(record);
    update_buttons();
    return true;
}

void MainWindow::show_as_saved(int record)
{
    QListWidgetItem *item = ui->listWidget->item(record);
    if (!item)
        return;
    // A font change is an item change; the rename handler would take it for an edit and mark the record unsaved.
    const QSignalBlocker blocker(ui->listWidget);
    item->setFont(saved_row_font());
}

void MainWindow::give_saved_name(int record, const QString &name)
{
    curve &r = records[record];
    r.name = name;
    r.saved_name = name;
    r.directory = state.experiments_dir;
    if (QListWidgetItem *item = ui->listWidget->item(record)) {
        const QSignalBlocker blocker(ui->listWidget);
        item->setText(name);
    }
    r.ch1_curve->setName(experiment_list::we1_curve_name(name));
    r.ch2_curve->setName(experiment_list::we2_curve_name(name));
    show_name_in_details(record, name);
}

void MainWindow::save_with_dialog(int record, const QString &proposed_name)
{
    const QString caption = QStringLiteral("Save QV Experiment");
    const QString path = ask_save_target(caption, save_proposal(state.experiments_dir, proposed_name),
                                         QStringLiteral("Quelvarin Experiment File (*.qve)"), QStringLiteral(".qve"));
    const QString base = file_base_name(path);
    if (base.isEmpty())
        return;
    // The record takes the file's name only once the file holds it.
    if (!write_record_file(path, record, base))
        return;
    state.experiments_dir = remembered_folder(path) + QLatin1Char('/');
    give_saved_name(record, base);
    qcp::replot_hint(ui->widget);
}

void MainWindow::on_Save_clicked()
{
    if (!current_row_on_show())
        return;
    const int row = ui->listWidget->currentRow();
    const int selected = selected_rows();
    const save_name_choice choice = proposed_save_name(state.save_mode, ui->New_Experiment_Name->text(),
                                                       selected >= 0 ? records[selected].name : QString(),
                                                       records[row].name);
    // With several rows selected the first of them is not the current one: the record written, renamed and
    // marked saved must be the one whose name the dialog proposes.
    const int record = choice.selected_record ? selected : row;
    if (record < 0 || record == running_record_index())
        return;
    state.save_mode = uint8_t(choice.next_save_mode);
    save_with_dialog(record, choice.name);
}

void MainWindow::on_actionSave_triggered() { on_Save_clicked(); }

bool MainWindow::save_selected_experiment(const QString &path)
{
    const int record = selected_rows();
    if (record < 0)
        return false;
    return write_record_file(path, record, records[record].name);
}

void MainWindow::on_export_2_clicked()
{
    if (!current_row_on_show() || ui->listWidget->currentRow() == running_record_index())
        return;
    const int record = ui->listWidget->currentRow();
    const QString caption = QStringLiteral("Save");
    const QString path =
        ask_save_target(caption, export_proposal(records[record].name), QStringLiteral("xls(*.xls)"), QStringLiteral(".xls"));
    if (path.isEmpty())
        return;
    write_record_file(path, record, records[record].name);
}

void MainWindow::save_experiment(int which)
{
    const QString user = ui->user_box->currentText();
    int record = -1;
    QString name;
    if (which == 1) {
        name = ui->New_Experiment_Name->text();
        QStringList rows;
        for (int i = 0; i < ui->listWidget->count(); ++i)
            rows << ui->listWidget->item(i)->text();
        // Without a row of that name there is nothing to save: another row's data must not go under this name.
        const std::optional<int> row = last_row_named(rows, name);
        if (!row || *row >= records.experiment_count())
            return;
        record = *row;
    } else {
        record = selected_rows();
        if (record < 0)
            return;
        name = records[record].name;
    }
    if (record == running_record_index())
        return;
    const QString target = user_experiment_path(user, name);
    if (file_exists(target)) {
        // Only the record's own file is written over unasked: the default name repeats within a day, so the
        // file of that name may hold another experiment.
        if (is_own_file(records[record], target) || confirm_replace(QStringLiteral("Save QV Experiment"), target)) {
            overwrite_experiment_file(target, record);
            return;
        }
        // Not that file: the save dialog lets the user choose another name.
    }
    // A later plain Save keeps proposing the name field's text after a save from the experiment panel.
    state.save_mode = which == 1 ? 10 : 0;
    save_with_dialog(record, name);
}

bool MainWindow::overwrite_experiment_file(const QString &path, int record)
{
    // The whole file of the record's method: a shorter layout would lose the raw data and parameters.
    if (record < 0 || record >= records.experiment_count())
        return false;
    return write_record_file(path, record, records[record].name);
}

void MainWindow::on_Save_Experiment_clicked()
{
    save_experiment(1);
    update_buttons();
}

void MainWindow::on_Save_Experiment_2_clicked()
{
    save_experiment(2);
    update_buttons();
}

bool MainWindow::autosave_record(int record)
{
    if (record < 0 || record >= records.experiment_count())
        return false;
    const QDateTime now = QDateTime::currentDateTime();
    const std::optional<QString> path = prepare_autosave_path(now);
    // The run stays in its record either way; the user hears that no copy of it is on disk.
    if (!path) {
        tell_file_error(error_title, QStringLiteral("The folder Data/Temp cannot be made: the run was not autosaved."));
        return false;
    }
    const save_result result =
        write_in_parts(*path, record_fields(records[record]), record, export_stamp{now, ui->user_box->currentText()});
    if (!result.ok) {
        tell_file_error(error_title, result.error);
        return false;
    }
    records[record].saved = 0;  // a temporary copy: the experiment still waits to be saved
    update_buttons();
    return true;
}

// ---- protocols ----

void MainWindow::on_Save_Protocol_clicked()
{
    const QString caption = QStringLiteral("Save QV Protocol");
    const QString proposal = user_protocol_path(ui->user_box->currentText(), ui->Protocol_Name->text());
    const QString filter = QStringLiteral("QV Protocol (*.qvp)");
    const int page = ui->stackedWidget->currentIndex();
    const std::optional<QByteArray> text =
        page >= 0 && page < method_count
            ? write_protocol(static_cast<method_index>(page), protocol_form_values(), state.extra_time_s)
            : std::nullopt;
    // Amperometry keeps no protocol. The user hears so before typing a name; no file is made or emptied, as an
    // empty protocol could not be loaded again.
    if (!text) {
        tell_user(this, caption,
                  QStringLiteral("The amperometric method has no parameters to keep: there is no protocol to save."));
        return;
    }
    const QString path = ask_save_target(caption, proposal, filter, QStringLiteral(".qvp"));
    if (path.isEmpty())
        return;
    const save_result result = save_text_atomically(path, *text);
    if (!result.ok) {
        tell_file_error(error_title, result.error);
        return;
    }
    ui->Protocol_Name->setText(protocol_name_from_path(path));
}

void MainWindow::on_actionSave_Protocol_triggered() { on_Save_Protocol_clicked(); }

void MainWindow::on_Load_Protocol_clicked()
{
    // The method box and pages are the running record's until the run ends.
    if (run_in_progress())
        return;
    const QString path = chosen_open_path(
        QStringLiteral("Open QV file"), user_protocol_path(ui->user_box->currentText(), ui->Protocol_Name->text()),
        QStringLiteral("QV Protocol (*.qvp)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "protocol" << path << "cannot be read:" << file.errorString();
        return;
    }
    const std::optional<protocol_contents> protocol =
        read_protocol(file.readAll(), protocol_form_values(), state.extra_time_s);
    if (!protocol) {
        // No method index on its first line: the method box must not move to a method that does not exist.
        qWarning().noquote() << "protocol" << path << "names no method";
        return;
    }
    ui->Protocol_Name->setText(protocol_name_from_path(path));
    ui->Method->setCurrentIndex(static_cast<int>(protocol->method));
    if (protocol->method == method_index::amperometry)
        return;
    load_method_page(protocol->method, protocol->pages, true);
    // After the boxes: their change handlers refresh the estimate, which reloads the lead time.
    state.extra_time_s = protocol->extra_time_s;
}

void MainWindow::on_actionLoad_Protocol_triggered() { on_Load_Protocol_clicked(); }

void MainWindow::on_actionSave_As_triggered() { on_Load_Protocol_clicked(); }
