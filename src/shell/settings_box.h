// The settings box: edits the defaults kept in the settings file and picks one of the connected instruments.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

#include "shell/settings_values.h"

namespace Ui { class settings_box; }

class settings_box : public QWidget {
    Q_OBJECT
public:
    explicit settings_box(QWidget *parent = nullptr);
    ~settings_box() override;

    // Puts lines 3 to 16 of the settings file into the widgets.
    void load_config();

    // What the widgets show now, and setting them all at once.
    settings_values form_values() const;
    void show_values(const settings_values &values);

    // Shows the given instrument as the chosen one (the names arrive after the box has loaded); an index
    // outside the list changes nothing.
    void select_port(int index);

signals:
    void settings_close(int8_t device_index);
    void save_clicked();
    void serial_name(uint8_t);

public slots:
    void get_users(QString name);
    void get_qv_info(uint8_t id);
    void serial_slot();

private slots:
    void on_pushButton_3_clicked();  // Save
    void on_cancel_clicked();
    void on_resetall_clicked();

private:
    void tell_settings_not_saved();
    Ui::settings_box *ui;
    // Set by the marker that announces the current user; cleared by the next name.
    bool next_user_is_current = false;
};
