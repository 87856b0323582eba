// The user-selection window.
#include "shell/select_user.h"

#include "shell/window_icon.h"
#include "ui_select_user.h"

select_user::select_user(QWidget *parent) : QWidget(parent), ui(new Ui::select_user)
{
    ui->setupUi(this);
    setWindowIcon(program_window_icon());
}

select_user::~select_user() { delete ui; }

void select_user::update_user(QString name) { ui->user_name->addItem(name); }

void select_user::on_select_clicked()
{
    emit user_send(ui->user_name->currentText());
    close();
}

void select_user::on_cancel_clicked() { close(); }
