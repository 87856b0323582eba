// The log-in page.
#include "run/log_page.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include "lists/combo_entries.h"
#include "platform/folder_move.h"
#include "platform/screen_metrics.h"
#include "run/mainwindow.h"
#include "shell/add_user.h"
#include "shell/app_state.h"
#include "shell/settings_file.h"
#include "shell/user_folders.h"
#include "shell/user_names.h"
#include "shell/window_icon.h"
#include "ui_log_page.h"
#include "platform/trace.h"

namespace {

constexpr double program_version = 2.4;
} // namespace

log_page::log_page(QWidget *parent, opened_by how) : QWidget(parent), ui(new Ui::log_page)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(program_window_icon());
    ui->QUELVARIN_LOGO_2->setPixmap(QPixmap(QStringLiteral("icons/tevrakov_logo_sun.png")));
    ui->pushButton->setFocus();
    ui->pushButton->setDefault(true);

    read_saved_user();
    load_users();
    ui->version->setText(QStringLiteral("V ") + QString::number(program_version));
    if (ui->comboBox->count() > 0)
        ui->comboBox->setEnabled(true);
    qCDebug(rz410_trace) << "user saved?:" << app_state::user_saved;

    // With no user to log in the page stays open instead of closing the program's only window.
    if (how == opened_by::start && app_state::user_saved && log_in()) {
        autologin_timer = new QTimer(this);
        connect(autologin_timer, &QTimer::timeout, this, &log_page::close_window);
        autologin_timer->start(1);
    }
}

log_page::~log_page() { delete ui; }

void log_page::read_saved_user()
{
    // A page opened after "Log Out" must not act on what an earlier page read.
    app_state::saved_user.clear();
    app_state::user_saved = false;
    const auto lines = settings_file::read_lines();
    if (!lines)
        return;
    const auto remembered = settings_file::remembered_from_lines(*lines);
    app_state::saved_user = remembered.name;
    app_state::user_saved = remembered.saved;
}

void log_page::write_saved_user()
{
    settings_file::write_user_lines(ui->comboBox->currentText(), QStringLiteral("1"));
}

void log_page::load_users()
{
    const QStringList users = user_folders::list_users();
    for (const QString &name : users) {
        ui->comboBox->addItem(name);
        if (name == app_state::saved_user)
            ui->comboBox->setCurrentIndex(ui->comboBox->count() - 1);
    }
    qCDebug(rz410_trace) << "users:" << users;
}

bool log_page::log_in()
{
    // One page, one run screen: a press that comes before the page has gone is ignored.
    if (run_screen_opened)
        return false;
    if (!ui->comboBox->isEnabled()) {
        qCDebug(rz410_trace) << "combobox disabled";
        return false;
    }
    user_folders::complete_user_folders(combo_entries(ui->comboBox));

    // The run screen lists "Data/User" afresh in name order, so it is told the user's place in that
    // listing; a user added on this page stands last here but takes its sorted place there.
    const QString user = ui->comboBox->currentText();
    const int index = user_folders::index_of_user(user_folders::list_users(), user);
    if (index < 0) {
        tell_user(QStringLiteral("The folder of user \"%1\" could not be created under \"%2\".")
                      .arg(user, user_folders::users_root()));
        return false;
    }

    run_screen_opened = true;
    main_window = new MainWindow(nullptr);
    write_saved_user();
    connect(this, &log_page::current_user, main_window, &MainWindow::set_current_user);
    main_window->show();
    emit current_user(uint8_t(index));
    close();
    return true;
}

void log_page::tell_user(const QString &text)
{
    // The user reads it in the box; a terminal copy would only repeat it.
    qCDebug(rz410_trace).noquote() << "told the user:" << text;
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void log_page::close_window()
{
    if (autologin_timer)
        autologin_timer->stop();
    close();
}

void log_page::on_pushButton_clicked() { log_in(); }

void log_page::on_pushButton_2_clicked()
{
    add_user_window = new add_user(nullptr);
    connect(add_user_window, &add_user::done_user, this, &log_page::add_done);
    add_user_window->setWindowIcon(program_window_icon());
    // Over the page that opened it, not wherever the window system puts a new window.
    add_user_window->adjustSize();
    platform::place_over(add_user_window, this);
    add_user_window->show();
}

void log_page::add_done(QString typed)
{
    const user_name_problem problem = check_new_user_name(typed, combo_entries(ui->comboBox));
    if (problem != user_name_problem::none) {
        tell_user(user_name_problem_text(problem, typed));
        return;
    }
    ui->comboBox->addItem(kept_user_name(typed));
    ui->comboBox->setEnabled(true);
    ui->comboBox->setCurrentIndex(ui->comboBox->count() - 1);
    ui->pushButton->setFocus();
    ui->pushButton->setDefault(true);
}

void log_page::on_pushButton_3_clicked()
{
    if (ui->comboBox->count() == 0)
        return;
    const QString name = ui->comboBox->currentText();
    const QString source = QDir(user_folders::users_root()).filePath(name);
    // A user added here but never logged in has no folder yet: there is nothing to archive.
    if (QFileInfo::exists(source) || QFileInfo(source).isSymLink()) {
        const auto moved = user_folders::archive_user(name);
        qCDebug(rz410_trace) << "archive" << source << "ok:" << moved.ok << moved.error;
        if (!moved.ok) {
            tell_user(QStringLiteral("The user \"%1\" could not be moved to \"%2\": %3.\nThe user is still listed.")
                          .arg(name, user_folders::archive_root(), moved.error));
            return;
        }
    }
    ui->comboBox->removeItem(ui->comboBox->currentIndex());
    if (ui->comboBox->count() == 0)
        ui->comboBox->setEnabled(false);
}
