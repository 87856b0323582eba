// The analysis screen's user box and the windows it opens: user chooser, port selection, About, colour picker.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>

#include "analysis/qv_analysis_window.h"
#include "dialogs/about_dialog_box.h"
#include "dialogs/change_graph_color.h"
#include "instrument/serial_select.h"
#include "platform/port_listing.h"
#include "platform/screen_metrics.h"
#include "shell/select_user.h"
#include "shell/user_box_rules.h"
#include "shell/window_icon.h"
#include "ui_qv_analysis_window.h"

void qv_analysis_window::on_user_box_currentIndexChanged(int)
{
    const int row = ui->user_box->currentIndex();
    if (row < 0)
        return;
    const QString user = ui->user_box->currentText();
    analysis_dir = QStringLiteral("Data/User/") + user + QStringLiteral("/Analysis");
    if (user == user_box_rules::log_out_entry()) {
        // Logging out is the run screen's business; it keeps its own user.
        on_To_Run_Screen_Button_clicked();
        return;
    }
    emit send_current_user(static_cast<uint8_t>(row));
}

void qv_analysis_window::on_actionUser_triggered()
{
    auto *chooser = new select_user(nullptr);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    chooser->setWindowModality(Qt::ApplicationModal);
    connect(chooser, &select_user::user_send, this, &qv_analysis_window::user_select_slot);
    const QMetaObject::Connection feed = connect(this, &qv_analysis_window::send_user_name, chooser,
                                                 &select_user::update_user);
    platform::place_over(chooser, this);
    chooser->show();
    // Every row but the last, which is "Log Out" and no user.
    for (int row = 0; row + 1 < ui->user_box->count(); ++row)
        emit send_user_name(ui->user_box->itemText(row));
    disconnect(feed);
}

void qv_analysis_window::user_select_slot(const QString &name)
{
    QStringList entries;
    for (int row = 0; row < ui->user_box->count(); ++row)
        entries << ui->user_box->itemText(row);
    for (int row : user_box_rules::rows_named(entries, name))
        ui->user_box->setCurrentIndex(row);
}

void qv_analysis_window::on_settings_clicked() { emit settings_clicked_experiment(); }

void qv_analysis_window::on_analysis_name_textChanged(const QString &)
{
    ui->Delete_Analysis->setEnabled(false);
    update_buttons();
}

void qv_analysis_window::port_window()
{
    // Nothing is fed to it or heard from it: the analysis screen opens no port.
    auto *ports = new serial_select(!platform::system_port_lister().ports().empty(), nullptr);
    ports->setAttribute(Qt::WA_DeleteOnClose);
    ports->setWindowModality(Qt::ApplicationModal);
    platform::place_over(ports, this);
    ports->show();
}

void qv_analysis_window::on_actionAbout_triggered()
{
    auto *about = new About_Dialog_Box(nullptr);
    about->setWindowIcon(program_window_icon());
    platform::place_over(about, this);
    about->show();
}

void qv_analysis_window::on_Open_Experiment_3_clicked()
{
    // The picker recolours the tangents drawn, starting from those of the analysis on show.
    const int row = analysis_on_show();
    if (row < 0)
        return;
    auto *picker = new Change_Graph_Color(nullptr);
    picker->setWindowIcon(program_window_icon());
    picker->setWindowModality(Qt::ApplicationModal);
    platform::place_over(picker, this);
    picker->show();
    const QMetaObject::Connection feed =
        connect(this, &qv_analysis_window::current_color, picker, &Change_Graph_Color::get_colors_analysis);
    connect(picker, &Change_Graph_Color::color_to_analysis, this, &qv_analysis_window::update_color);
    emit current_color(book.result(row).colour_a, book.result(row).colour_b);
    disconnect(feed);
}
