// The settings box.
#include "shell/settings_box.h"

#include <QDebug>
#include <QMessageBox>

#include "instrument/device_names.h"
#include "platform/port_listing.h"
#include "shell/settings_file.h"
#include "shell/window_icon.h"
#include "ui_settings_box.h"
#include "platform/trace.h"

namespace {

// Messages the run screen sends in the user channel.
const char current_user_marker[] = "itiscoming_protocol";
const char end_of_users_marker[] = "go_to_protocols_configure";

void select_if_valid(QComboBox *box, int index)
{
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}

} // namespace

settings_box::settings_box(QWidget *parent) : QWidget(parent), ui(new Ui::settings_box)
{
    ui->setupUi(this);
    setWindowIcon(program_window_icon());
    // Names are still listed when fed later; the box only cannot be changed without a bridge present.
    if (platform::bridge_port_names(platform::system_port_lister().ports()).isEmpty())
        ui->Port->setEnabled(false);
    connect(this, &settings_box::save_clicked, this, &settings_box::serial_slot);
}

settings_box::~settings_box() { delete ui; }

settings_values settings_box::form_values() const
{
    settings_values v;
    v.user = ui->User->currentText();
    v.device = ui->Port->currentText();
    v.we1 = ui->Channel_WE1->isChecked();
    v.we2 = ui->Channel_WE2->isChecked();
    v.current_range = ui->Current_Range->currentIndex();
    v.scan_protocol = ui->scan_protocol->currentIndex();
    v.analysis_protocol = ui->analysis_protocol->currentIndex();
    v.report_type = ui->report_type->currentIndex();
    v.plot_mode = ui->Plot_Mode->currentIndex();
    v.image_type = ui->Image_Type->currentIndex();
    v.image_size = ui->Image_size->currentIndex();
    v.resolution = ui->resolution->currentIndex();
    v.report_template = ui->report_template->currentIndex();
    v.report_image_size = ui->Image_size_report->currentIndex();
    v.quiet_time_s = ui->quiet_time->value();
    v.filter = ui->filter->currentIndex();
    return v;
}

void settings_box::show_values(const settings_values &v)
{
    // The user and device boxes hold what the run screen fed; they are chosen by the feed or Reset All.
    ui->Channel_WE1->setChecked(v.we1);
    ui->Channel_WE2->setChecked(v.we2);
    select_if_valid(ui->Current_Range, v.current_range);
    select_if_valid(ui->scan_protocol, v.scan_protocol);
    select_if_valid(ui->analysis_protocol, v.analysis_protocol);
    select_if_valid(ui->report_type, v.report_type);
    select_if_valid(ui->Plot_Mode, v.plot_mode);
    select_if_valid(ui->Image_Type, v.image_type);
    select_if_valid(ui->Image_size, v.image_size);
    select_if_valid(ui->resolution, v.resolution);
    select_if_valid(ui->report_template, v.report_template);
    select_if_valid(ui->Image_size_report, v.report_image_size);
    ui->quiet_time->setValue(v.quiet_time_s);
    select_if_valid(ui->filter, v.filter);
}

void settings_box::load_config()
{
    const auto lines = settings_file::read_lines();
    if (!lines)
        return;
    show_values(apply_settings_lines(form_values(), *lines));
}

void settings_box::get_users(QString name)
{
    if (name == QLatin1String(end_of_users_marker)) {
        load_config();
        qCDebug(rz410_trace) << "protocols";
        return;
    }
    if (name == QLatin1String(current_user_marker)) {
        next_user_is_current = true;
        return;
    }
    ui->User->addItem(name);
    if (next_user_is_current) {
        next_user_is_current = false;
        ui->User->setCurrentIndex(ui->User->count() - 1);
    }
}

void settings_box::get_qv_info(uint8_t id) { ui->Port->addItem(device_display_name(id)); }

void settings_box::select_port(int index)
{
    if (index >= 0 && index < ui->Port->count())
        ui->Port->setCurrentIndex(index);
}

void settings_box::serial_slot() {}

void settings_box::on_pushButton_3_clicked()
{
    const QStringList lines = settings_lines(form_values());
    qCDebug(rz410_trace) << "settings:" << lines;
    if (!settings_file::write_lines(lines))
        tell_settings_not_saved();
    emit settings_close(int8_t(ui->Port->currentIndex()));
    close();
}

// The box still closes and hands on the chosen device, but the user must not believe the defaults were kept.
// The message does not block, so the run screen goes on with the device that was chosen.
void settings_box::tell_settings_not_saved()
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Settings"),
                                QStringLiteral("The settings could not be saved to \"%1\".").arg(settings_file::default_path()),
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("settings_not_saved"));
    box->show();
}

void settings_box::on_cancel_clicked() { close(); }

void settings_box::on_resetall_clicked()
{
    ui->Port->setCurrentIndex(ui->Port->count() > 0 ? 0 : -1);
    ui->User->setCurrentIndex(ui->User->count() > 0 ? 0 : -1);
    show_values(reset_all(form_values()));
}
