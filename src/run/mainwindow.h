// The run screen: set up a method, run it, watch and manage the experiments.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPen>
#include <array>
#include <cstdint>

#include "run/curve.h"
#include "run/record_store.h"
#include "run/run_state.h"

class QMouseEvent;
namespace Ui { class MainWindow; }

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    record_store &experiment_records() { return records; }
    run_screen_state &screen_state() { return state; }

    // Takes the next free record for a new experiment; with all 255 in use it says so and returns -1.
    int reserve_next_record();

signals:
    void current_user_to_analysis(int);
    void deney_sayisi(int);
    void current_exp_index(int8_t);
    void ask_id(QString);
    void process();
    void current_color(QColor, QColor);
    void pass_to_analysis(curve);
    void pass_user_from_experiment(QString);
    void send_axisval(double, double, double, double, uint8_t);
    void to_analysis(QString);
    void settings_user(QString);
    void send_user_name(QString);
    void send_done();
    void qv_info(uint8_t);
    void serial_to_about(uint8_t);
    void id_to_serial(uint8_t);
    void current_port(QString);
    void current_device(uint8_t);
    void close_led();
    void experiment_name(QString);

public slots:
    // users
    void set_current_user(uint8_t index);
    void on_user_box_currentIndexChanged(const QString &text);

    // plot pointer handling
    void mouseMoveSignal(QMouseEvent *event);
    void mousePressSignal(QMouseEvent *event);
    void mouseReleaseSignal(QMouseEvent *event);
    void beforeReplot();
    void onMouseMove(QMouseEvent *event);

private:
    // construction
    void fill_user_list();
    void save_current_user_config();
    void setup_plot();
    void create_record_curves();
    void create_filter_actions();

    const std::array<QColor, 24> palette;
    record_store records;
    Ui::MainWindow *ui;
    uint8_t legend_dragging = 0;
    std::array<double, 2> legend_grab_offset{{0.0, 0.0}};  // x, y in fractions of the axis rectangle
    uint8_t legend_shown = 1;
    run_screen_state &state;
};
