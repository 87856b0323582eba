// The axis-range dialog.
#include "dialogs/setaxis.h"

#include "ui_setaxis.h"

setaxis::setaxis(QWidget *parent) : QWidget(parent), ui(new Ui::setaxis)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
}

setaxis::~setaxis() { delete ui; }

void setaxis::get_axis_values(double current_max, double current_min, double voltage_max, double voltage_min,
                              uint8_t mode)
{
    axis_mode = mode;
    ui->current_max->setValue(current_max);
    ui->current_min->setValue(current_min);
    ui->voltage_max->setValue(voltage_max);
    ui->voltage_min->setValue(voltage_min);
}

// The values go back as typed: a minimum above its maximum is the plot's business.
void setaxis::on_pushButton_clicked()
{
    const double current_max = ui->current_max->value();
    const double current_min = ui->current_min->value();
    const double voltage_max = ui->voltage_max->value();
    const double voltage_min = ui->voltage_min->value();
    if (axis_mode == run_screen_mode)
        emit send_axis_experiment(current_max, current_min, voltage_max, voltage_min);
    else
        emit send_axis_analysis(current_max, current_min, voltage_max, voltage_min);
    close();
}

void setaxis::on_pushButton_2_clicked() { close(); }
