// The analysis screen's file commands besides opening: Save and quick save of ".qva" files, analysis protocols
// (".qvr") and the plot image, with the dialog and message seams they share with the open action.
#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include "analysis/analysis_file.h"
#include "analysis/analysis_list_rules.h"
#include "analysis/analysis_naming.h"
#include "analysis/analysis_protocol_file.h"
#include "analysis/qv_analysis_window.h"
#include "files/file_naming.h"
#include "plot/plot_image_export.h"
#include "plot/qcp_compat.h"
#include "shell/settings_file.h"
#include "shell/user_folders.h"
#include "ui_qv_analysis_window.h"
#include "platform/trace.h"

namespace {

QVector<ei_point> points_of(const QCPCurve *c)
{
    const qcp::points p = qcp::read_points(c);
    QVector<ei_point> out;
    out.reserve(p.keys.size());
    for (int i = 0; i < p.keys.size(); ++i)
        out.push_back({p.keys.at(i), p.values.at(i)});
    return out;
}

}  // namespace

// ---- seams ----

QString qv_analysis_window::chosen_save_path(const QString &caption, const QString &proposal, const QString &filter)
{
    // Every dialog starts in one of the user's folders, which must be there for it.
    user_folders::complete_user_folder(ui->user_box->currentText());
    if (ask_save_path)
        return ask_save_path(caption, proposal, filter);
    return QFileDialog::getSaveFileName(this, caption, proposal, filter);
}

QString qv_analysis_window::chosen_open_path(const QString &caption, const QString &start, const QString &filter)
{
    // Every dialog starts in one of the user's folders, which must be there for it.
    user_folders::complete_user_folder(ui->user_box->currentText());
    if (ask_open_path)
        return ask_open_path(caption, start, filter);
    return QFileDialog::getOpenFileName(this, caption, start, filter);
}

void qv_analysis_window::tell_user(const QString &title, const QString &text)
{
    // The user reads it in the box; a terminal copy would only repeat it.
    qCDebug(rz410_trace).noquote() << "analysis screen:" << title << text;
    if (show_file_message) {
        show_file_message(title, text);
        return;
    }
    // Not modal in the blocking sense: the open action also runs from the constructor and for every dropped
    // file, where a nested event loop per message would stall the window being built or the drop.
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString qv_analysis_window::ask_save_target(const QString &caption, const QString &proposal, const QString &filter,
                                            const QString &extension)
{
    const auto confirm = [&](const QString &path) {
        if (ask_replace)
            return ask_replace(path);
        const QString question = tr("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName());
        return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    return choose_save_target(
        proposal, extension, [&](const QString &start) { return chosen_save_path(caption, start, filter); }, confirm);
}

// ---- the file of one analysis ----

analysis_file qv_analysis_window::file_of_analysis(int row, const QString &base) const
{
    const curve &a = book.record(row);
    const analysis_result &res = book.result(row);
    analysis_file f;
    f.version = analysis_file_version();
    f.exported = analysis_export_time_text(QDateTime::currentDateTime());
    f.experiment = base;
    f.user = ui->user_box->currentText();
    f.rate_mV_s = a.rate;
    // The method and Pearson settings the analysis was made with (or read from its file), whichever row is current.
    f.method = res.method_text;
    f.rr = res.rr;
    f.sample = res.sample;
    // The boxes show the current analysis's channel and cycle; another row's file takes those it was made with.
    const bool current = row == current_analysis();
    f.selected_channel = current ? ui->channel_to_analyze->currentIndex() + 1 : res.channel_index + 1;
    f.selected_cycle = current ? ui->Cycle_to_analyze->currentIndex() + 1 : res.cycle_index + 1;
    // The values in the text the labels show them in, whatever showed the analysis last.
    f.epa_text = analysis_list::shown_value(res.Epa);
    f.ipa_text = analysis_list::shown_value(res.Ipa);
    f.epc_text = analysis_list::shown_value(res.Epc);
    f.ipc_text = analysis_list::shown_value(res.Ipc);
    f.Epa = res.Epa;
    f.Ipa = res.Ipa;
    f.Epc = res.Epc;
    f.Ipc = res.Ipc;
    f.channel_index = res.channel_index;
    f.cycle_index = res.cycle_index;
    f.anodic_max = res.anodic_max;
    f.cathodic_max = res.cathodic_max;
    f.current_anodic = res.current_anodic;
    f.current_cathodic = res.current_cathodic;
    f.current_tangent = res.current_tangent;
    f.current_cathodic_2 = res.current_cathodic_2;
    f.ch1 = points_of(a.ch1_curve);
    f.ch2 = points_of(a.ch2_curve);
    f.anodic_tangent = points_of(res.anodic_tangent);
    f.cathodic_tangent = points_of(res.cathodic_tangent);
    return f;
}

bool qv_analysis_window::write_analysis_file(const QString &path, int row, const QString &base)
{
    const save_result result = save_analysis_file(path, file_of_analysis(row, base));
    if (!result.ok)
        tell_user(tr("Error"), result.error);
    return result.ok;
}

// ---- Save ----

void qv_analysis_window::on_Save_Analysis_clicked()
{
    // The menu's Save Analysis comes here too: it saves what the plot shows, never a row left undrawn.
    const int row = analysis_on_show();
    if (row >= 0)
        save_with_dialog(row);
}

void qv_analysis_window::on_actionSave_triggered() { on_Save_Analysis_clicked(); }

void qv_analysis_window::save_with_dialog(int row)
{
    const QString proposal = analysis_save_proposal(analysis_dir, ui->recent_analyses->item(row)->text());
    const QString path =
        ask_save_target(tr("Save QV Analysis"), proposal, tr("Quelvarin Analysis File (*.qva)"), QStringLiteral(".qva"));
    const QString base = file_base_name(path);
    if (base.isEmpty())
        return;
    // The analysis takes the file's name only once the file holds it; a failed write changes nothing.
    if (!write_analysis_file(path, row, base))
        return;
    analysis_dir = ::analysis_folder(path);
    take_saved_name(row, base);
}

void qv_analysis_window::take_saved_name(int row, const QString &base)
{
    curve &a = book.record(row);
    a.saved = 1;
    a.saved_name = base;
    a.name = base;
    book.result(row).folder = analysis_dir;
    {
        // The rename handler would take the program's own rename for the user's edit and mark it unsaved.
        const QSignalBlocker held(ui->recent_analyses);
        ui->recent_analyses->item(row)->setText(base);
    }
    // The details name it by its new name: alone, or among the selected names under an overlay's summary.
    if (row == current_analysis() || ui->recent_analyses->item(row)->isSelected())
        refresh_details();
    if (row == current_analysis()) {
        // A saved analysis is left as it is until the analyse button or a selection change reopens it.
        set_widgets_enabled(false);
    }
    a.ch1_curve->setName(base);
    a.ch2_curve->setName(base);
    update_buttons();
    replot();
    set_row_font(row, false);
    propose_analysis_name();
}

// ---- quick save ----

void qv_analysis_window::on_Save_Analysis_2_clicked() { save_analysis_auto(2); }

void qv_analysis_window::on_Save_Analysis_3_clicked() { save_analysis_auto(3); }

void qv_analysis_window::save_analysis_auto(int mode)
{
    int row = -1;
    QString name;
    if (mode == 3) {
        row = analysis_on_show();
        if (row < 0)
            return;
        name = ui->recent_analyses->item(row)->text();
    } else {
        // Without a row of that name there is nothing to save; another analysis must not go under this name.
        // A row left undrawn is not saved either (the field keeps the name of a current row clicked off), as
        // with the Save button: with nothing on show, none is.
        name = ui->analysis_name->text();
        const std::optional<int> named = last_row_named(row_texts(), name);
        if (!named || !analyses_drawn().contains(*named))
            return;
        row = *named;
    }
    const QString path = user_analysis_path(ui->user_box->currentText(), name);
    if (is_own_file(row, path))
        overwrite_own_file(path, row);
    else
        save_with_dialog(row);
}

bool qv_analysis_window::is_own_file(int row, const QString &path) const
{
    // A file of the same name may belong to another analysis; only the file this one was saved to or opened
    // from is written without asking.
    const analysis_result &res = book.result(row);
    if (res.folder.isEmpty() || !file_exists(path))
        return false;
    const QFileInfo own(analysis_save_proposal(res.folder, book.record(row).saved_name) + QStringLiteral(".qva"));
    return own.exists() && own.canonicalFilePath() == QFileInfo(path).canonicalFilePath();
}

void qv_analysis_window::overwrite_own_file(const QString &path, int row)
{
    if (!write_analysis_file(path, row, ui->recent_analyses->item(row)->text()))
        return;
    book.record(row).saved = 1;
    ui->Save_Analysis_2->setEnabled(false);
    ui->Save_Analysis_3->setEnabled(false);
    set_row_font(row, false);
}

// ---- analysis protocols ----

void qv_analysis_window::on_Save_Protocol_2_clicked()
{
    const QString proposal = user_analysis_protocol_path(ui->user_box->currentText(), ui->Protocol_Name_2->text());
    const QString path = ask_save_target(tr("Save QV Analysis Protocol"), proposal, tr("QV Protocol (*.qvr)"),
                                         QStringLiteral(".qvr"));
    if (path.isEmpty())
        return;
    const save_result result =
        save_analysis_protocol_file(path, {ui->slider_rate->value(), ui->slider_sample->value()});
    if (!result.ok) {
        tell_user(tr("Error"), result.error);
        return;
    }
    ui->Protocol_Name_2->setText(protocol_name_from_path(path));
}

void qv_analysis_window::on_actionSettings_triggered() { on_Save_Protocol_2_clicked(); }

void qv_analysis_window::on_Load_Protocol_2_clicked()
{
    const QString proposal = user_analysis_protocol_path(ui->user_box->currentText(), ui->Protocol_Name_2->text());
    const QString path = chosen_open_path(tr("Open QV file"), proposal, tr("QV Protocol (*.qvr)"));
    if (path.isEmpty())
        return;
    const analysis_protocol_load load = load_analysis_protocol_file(path);
    if (!load.protocol) {
        tell_user(tr("Error"), load.error);
        return;
    }
    ui->Protocol_Name_2->setText(protocol_name_from_path(path));
    // Each slider that moves analyses again, the threshold first, as a user moving them would.
    ui->slider_rate->setValue(load.protocol->rr);
    ui->slider_sample->setValue(load.protocol->sample);
}

void qv_analysis_window::on_actioncompare_triggered() { on_Load_Protocol_2_clicked(); }

// ---- plot image ----

void qv_analysis_window::on_Image_clicked()
{
    const plot_image::format format = plot_image::format_from_settings(settings_file::read_lines());
    // The picture is named after the analysis on show; with none drawn it would be an empty plot under its name.
    const int row = analysis_on_show();
    if (row < 0)
        return;
    const QString proposal =
        plot_image::default_path(ui->user_box->currentText(), ui->recent_analyses->item(row)->text(), format);
    const QString path =
        chosen_save_path(plot_image::dialog_caption(), proposal, plot_image::dialog_filter(format));
    if (path.isEmpty())
        return;
    // The setting decides the data, whatever ending the chosen name has.
    QCustomPlot *plot = ui->widget2;
    const plot_image::write_result result = plot_image::write_replacing(path, [plot, format](const QString &temp) {
        return format == plot_image::format::png ? qcp::save_png(plot, temp) : qcp::save_jpg(plot, temp);
    });
    if (!result.ok)
        tell_user(result.title, result.text);
}
