// The axis-range dialog: the user types the current (µA) and potential (V) ranges of a plot.
#pragma once

#include <QWidget>
#include <cstdint>

namespace Ui {
class setaxis;
}

// The opener shows the dialog, connects the answer signal for its screen and its own feed signal to
// get_axis_values, then feeds the present ranges once. OK answers the screen the feed's mode names and closes;
// Cancel only closes. The dialog deletes itself when closed, so an opener must not keep a plain pointer to it.
class setaxis : public QWidget {
    Q_OBJECT

public:
    // Which screen a dialog answers: the run screen feeds mode 0, the analysis screen any other value.
    static constexpr uint8_t run_screen_mode = 0;

    // Longest time axis the boxes hold, in ms: far beyond the longest run (about 18 hours is 6.5e7 ms).
    static constexpr double time_axis_limit_ms = 1e9;

    explicit setaxis(QWidget *parent = nullptr);
    ~setaxis() override;

    // The horizontal axis of the plot is time in ms (chronoamperometry, amperometry), not potential: its boxes
    // say so, hold the whole range in whole ms, and a box left alone sends back exactly the range it was fed.
    // Called by the opener before it feeds the ranges.
    void set_time_axis();

public slots:
    // Each box keeps the value within its range and rounds it to two decimals.
    void get_axis_values(double current_max, double current_min, double voltage_max, double voltage_min,
                         uint8_t mode);

signals:
    void send_axis_experiment(double current_max, double current_min, double voltage_max, double voltage_min);
    void send_axis_analysis(double current_max, double current_min, double voltage_max, double voltage_min);

private slots:
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();

private:
    // The mode of the last feed; kept per dialog so that one screen's feed never redirects another's answer.
    uint8_t axis_mode = run_screen_mode;
    bool time_axis = false;
    // The time bounds as fed, and as their boxes showed them then; an unchanged box sends the fed bound.
    double fed_time_max = 0, fed_time_min = 0;
    double shown_time_max = 0, shown_time_min = 0;
    Ui::setaxis *ui;
};
