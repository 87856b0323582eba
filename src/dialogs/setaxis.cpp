// The axis-range dialog.
#include "dialogs/setaxis.h"

#include <QDoubleSpinBox>
#include <algorithm>

#include "ui_setaxis.h"

setaxis::setaxis(QWidget *parent) : QWidget(parent), ui(new Ui::setaxis)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
}

setaxis::~setaxis() { delete ui; }

void setaxis::set_time_axis()
{
    time_axis = true;
    ui->PROTOCOL_4->setText(QStringLiteral(" Time (ms):"));
    for (QDoubleSpinBox *box : {ui->voltage_min, ui->voltage_max}) {
        box->setDecimals(0);
        box->setRange(-time_axis_limit_ms, time_axis_limit_ms);
        box->setSingleStep(100);
    }
    // Hours of run are eight or more digits, which the potential boxes' width would cut off: the Max column,
    // the divider and the buttons move right by what the time boxes need more, and the window grows with them.
    const int wider = std::max(0, ui->voltage_min->sizeHint().width() - ui->voltage_min->width());
    if (wider == 0)
        return;
    ui->voltage_min->resize(ui->voltage_min->width() + wider, ui->voltage_min->height());
    ui->current_min->resize(ui->current_min->width() + wider, ui->current_min->height());
    for (QWidget *w : {static_cast<QWidget *>(ui->line_4), static_cast<QWidget *>(ui->PROTOCOL_6)})
        w->move(w->x() + wider, w->y());
    for (QWidget *w : {static_cast<QWidget *>(ui->current_max), static_cast<QWidget *>(ui->voltage_max)}) {
        w->move(w->x() + wider, w->y());
        w->resize(w->width() + wider, w->height());
    }
    ui->PROTOCOL_5->move(ui->PROTOCOL_5->x() + wider / 2, ui->PROTOCOL_5->y());
    ui->PROTOCOL_6->move(ui->PROTOCOL_6->x() + wider / 2, ui->PROTOCOL_6->y());
    for (QWidget *w : {static_cast<QWidget *>(ui->pushButton), static_cast<QWidget *>(ui->pushButton_2)})
        w->move(w->x() + 2 * wider, w->y());
    setFixedWidth(width() + 2 * wider);
}

void setaxis::get_axis_values(double current_max, double current_min, double voltage_max, double voltage_min,
                              uint8_t mode)
{
    axis_mode = mode;
    ui->current_max->setValue(current_max);
    ui->current_min->setValue(current_min);
    ui->voltage_max->setValue(voltage_max);
    ui->voltage_min->setValue(voltage_min);
    fed_time_max = voltage_max;
    fed_time_min = voltage_min;
    shown_time_max = ui->voltage_max->value();
    shown_time_min = ui->voltage_min->value();
}

// The values go back as typed: a minimum above its maximum is the plot's business.
void setaxis::on_pushButton_clicked()
{
    const double current_max = ui->current_max->value();
    const double current_min = ui->current_min->value();
    double voltage_max = ui->voltage_max->value();
    double voltage_min = ui->voltage_min->value();
    if (time_axis) {
        // Whole ms in the boxes; a bound the user did not touch keeps the view exactly as it was.
        if (voltage_max == shown_time_max)
            voltage_max = fed_time_max;
        if (voltage_min == shown_time_min)
            voltage_min = fed_time_min;
    }
    if (axis_mode == run_screen_mode)
        emit send_axis_experiment(current_max, current_min, voltage_max, voltage_min);
    else
        emit send_axis_analysis(current_max, current_min, voltage_max, voltage_min);
    close();
}

void setaxis::on_pushButton_2_clicked() { close(); }
