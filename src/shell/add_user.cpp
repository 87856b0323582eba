// The add-user window.
#include "shell/add_user.h"

#include "shell/window_icon.h"
#include "ui_add_user.h"

add_user::add_user(QWidget *parent) : QWidget(parent), ui(new Ui::add_user)
{
    ui->setupUi(this);
    setWindowIcon(program_window_icon());
    ui->pushButton->setDefault(true);
    // The user came to type a name: the field takes the keys, and Enter in it is OK (a plain window has no
    // default button of its own).
    ui->lineEdit->setFocus();
    connect(ui->lineEdit, &QLineEdit::returnPressed, this, &add_user::on_pushButton_clicked);
}

add_user::~add_user() { delete ui; }

void add_user::on_pushButton_clicked()
{
    // Taken as typed; the log-in page judges the name against its list.
    const QString name = ui->lineEdit->text();
    if (!name.isEmpty())
        emit done_user(name);
    close();
}

void add_user::on_pushButton_2_clicked() { close(); }
