// A slider that keeps the number beside it true: every change of its value reaches its readout label, also one
// made with the slider's signals blocked, which no valueChanged connection would hear.
#pragma once

#include <QPointer>
#include <QSlider>

class QLabel;

class readout_slider : public QSlider {
    Q_OBJECT
public:
    explicit readout_slider(QWidget *parent = nullptr);

    // From now on `label` shows the value, starting with the present one.
    void show_value_in(QLabel *label);

protected:
    void sliderChange(SliderChange change) override;

private:
    void write_value();
    QPointer<QLabel> readout;
};
