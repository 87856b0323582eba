// Confirmation before experiments on the run screen are deleted.
#include "dialogs/dialog_warning_delete_experiment.h"

#include "dialogs/dialog_texts.h"
#include "dialogs/warning_fit.h"
#include "ui_dialog_warning_delete_experiment.h"

#include <QIcon>

dialog_warning_delete_experiment::dialog_warning_delete_experiment(QWidget *parent) : QWidget(parent), ui(new Ui::dialog_warning_delete_experiment)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QIcon(QStringLiteral("Libraries/icons/QV_icons/qv256.ico")));
    form = {size(), ui->layoutWidget->geometry()};
}

dialog_warning_delete_experiment::~dialog_warning_delete_experiment() { delete ui; }

void dialog_warning_delete_experiment::exp_count(int count) { selected_count = count; }

void dialog_warning_delete_experiment::get_the_name(QString name)
{
    const delete_warning_text text = experiment_delete_warning(selected_count, name);
    setWindowTitle(text.title);
    ui->label->setText(text.question);
    ui->label_3->setText(text.detail);
    fit_warning_to_texts(*this, *ui->layoutWidget, form);
}

void dialog_warning_delete_experiment::on_pushButton_clicked() { close(); }

void dialog_warning_delete_experiment::on_pushButton_2_clicked()
{
    emit sendData2();
    close();
}
