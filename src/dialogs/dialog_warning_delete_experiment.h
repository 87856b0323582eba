// Confirmation before the selected experiments on the run screen are deleted.
#pragma once

#include <QString>
#include <QWidget>

#include "dialogs/warning_fit.h"

namespace Ui {
class dialog_warning_delete_experiment;
}

// The opener shows the dialog, connects sendData2 and its own count and name signals, then sends the number of
// selected entries first and the current entry's text second: the text depends on the count. Delete emits
// sendData2() and closes; Cancel only closes. The dialog deletes itself when closed, so an opener must not keep a
// plain pointer to it.
class dialog_warning_delete_experiment : public QWidget {
    Q_OBJECT

public:
    explicit dialog_warning_delete_experiment(QWidget *parent = nullptr);
    ~dialog_warning_delete_experiment() override;

public slots:
    void exp_count(int count);
    void get_the_name(QString name);

signals:
    void sendData2();

private slots:
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();

private:
    // Each dialog keeps the count it was sent; an int, so that a full list never wraps round.
    int selected_count = 0;
    // The form's size and the texts' place, which a long name's title or text grows from.
    warning_form form;
    Ui::dialog_warning_delete_experiment *ui;
};
