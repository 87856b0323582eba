// The readout of a slider, written where the slider itself learns of a new value.
#include "analysis/readout_slider.h"

#include <QLabel>

readout_slider::readout_slider(QWidget *parent) : QSlider(parent) {}

void readout_slider::show_value_in(QLabel *label)
{
    readout = label;
    write_value();
}

void readout_slider::sliderChange(SliderChange change)
{
    QSlider::sliderChange(change);
    // A new range may move the value too; that comes here again as a value change.
    if (change == SliderValueChange)
        write_value();
}

void readout_slider::write_value()
{
    if (readout)
        readout->setText(QString::number(value()));
}
