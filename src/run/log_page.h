// The log-in page: lists the users under "Data/User", adds and archives users, and logs one in.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class MainWindow;
class QTimer;
class add_user;

namespace Ui { class log_page; }

class log_page : public QWidget {
    Q_OBJECT
public:
    // A page opened by "Log Out" never logs in by itself: the settings file may still name the user who
    // just left, when it could not be written.
    enum class opened_by { start, log_out };
    explicit log_page(QWidget *parent = nullptr, opened_by how = opened_by::start);
    ~log_page() override;

    // Sets the remembered user (app_state) from the settings file, clearing any earlier one first.
    void read_saved_user();
    // Stores the current user as remembered in the settings file.
    void write_saved_user();
    // Fills the user box from "Data/User".
    void load_users();

    // The run screen made by the last log-in from this page, if any.
    MainWindow *run_screen() const { return main_window; }

    // A warning that does not block: the page stays usable and tests can read it.
    void tell_user(const QString &text);

signals:
    void current_user(uint8_t index);

public slots:
    void add_done(QString typed);  // a name as typed in the add-user window
    void close_window();

private slots:
    void on_pushButton_clicked();    // Log In
    void on_pushButton_2_clicked();  // Add New User
    void on_pushButton_3_clicked();  // Delete User

private:
    // Returns whether the run screen was opened.
    bool log_in();

    Ui::log_page *ui;
    QTimer *autologin_timer = nullptr;
    MainWindow *main_window = nullptr;
    // Set before the run screen is built: its search for an instrument runs the event loop, and a second press
    // then would open a second run screen on the same port and records.
    bool run_screen_opened = false;
    add_user *add_user_window = nullptr;
};
