// The analysis screen: receives the run screen's cyclic voltammograms, users and connection state, shows them,
// and hands back to the run screen.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>

#include "run/curve.h"

class QCloseEvent;
namespace Ui { class qv_analysis_window; }

// The run screen creates one window per visit, connects it, feeds it and hides itself; the window deletes
// itself when it hands back, so the run screen must not keep a plain pointer past show_experiment_window.
class qv_analysis_window : public QWidget {
    Q_OBJECT
public:
    // One more than the run screen can hold, so a full run-screen list always fits.
    static constexpr int capacity = 256;

    explicit qv_analysis_window(QWidget *parent = nullptr);
    ~qv_analysis_window() override;

    // The experiments received so far, in arrival order (row n of the experiment box is experiment(n)).
    int experiment_count() const { return received; }
    const curve &experiment(int row) const { return experiments.at(static_cast<size_t>(row)); }
    // The analysis document named on the command line, read at construction.
    const QString &startup_document() const { return startup_analysis; }
    // The port name last given by the run screen.
    const QString &port_name() const { return port; }

signals:
    void show_experiment_window();
    void close_experiment();             // for the run screen's close_wind(); nothing emits it
    void settings_clicked_experiment();
    void send_current_user(uint8_t index);
    void close_exp_window();             // for the run screen's hide_exp_window(); nothing emits it

public slots:
    // the hand-over, in the order the run screen sends it
    void get_from_experiment(const curve &record);
    void refresh_ui();
    void get_user_from_experiment(const QString &name);
    void update_combobox(const QString &state);
    void update_user_from_experiment(int index);
    void update_current_list(int8_t index);
    void update_device(uint8_t);
    void update_port(const QString &name);

    // buttons
    void on_To_Run_Screen_Button_clicked();
    void on_settings_clicked();

    // user box
    void on_user_box_currentIndexChanged(int index);

    // selection boxes
    void on_Experiment_2B_Analyzed_currentIndexChanged(int index);
    void on_channel_to_analyze_currentIndexChanged(int index);
    void on_Cycle_to_analyze_currentIndexChanged(int index);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setup_plot();
    void fill_cycle_and_channel(int row);
    void propose_analysis_name();
    void show_experiment(int row);
    void select_experiment(int row);

    Ui::qv_analysis_window *ui;
    std::array<curve, capacity> experiments;
    int received = 0;
    QString startup_analysis;
    QString port;
    bool handed_back = false;  // show_experiment_window goes out once per window
};
