// Warning shown when the run screen is closed while experiments are unsaved.
#pragma once

#include <QWidget>

namespace Ui {
class dialog_warning_save_data;
}

// The run screen creates one of these and shows it again at every refused close. Connect close_app_signal
// exactly once, when the dialog is created: the dialog itself never connects anything, and showing it again
// must not add a connection, or one confirmation would run the close handling several times. (An opener
// that can only connect at showing time must pass Qt::UniqueConnection.)
// "Exit and Discard Unsaved Data" emits close_app_signal() and leaves the dialog open; the run screen closes
// it while it shuts down. "Cancel" hides it. It is not deleted on close; its creator owns it.
class dialog_warning_save_data : public QWidget {
    Q_OBJECT

public:
    explicit dialog_warning_save_data(QWidget *parent = nullptr);
    ~dialog_warning_save_data() override;

signals:
    void close_app_signal();

private slots:
    void on_pushButton_clicked();
    void on_pushButton_3_clicked();

private:
    Ui::dialog_warning_save_data *ui;
};
