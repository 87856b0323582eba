// The analysis screen: receives the run screen's cyclic voltammograms, users and connection state, cuts and
// analyses cycles for peaks against tangent baselines, lists the analyses, and hands back to the run screen.
#pragma once

#include <QColor>
#include <QSignalBlocker>
#include <QString>
#include <QVector>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "analysis/analysis_records.h"
#include "plot/curve.h"
#include "plot/plot_legend.h"

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QListWidgetItem;
class QMouseEvent;
class QPoint;
class selection_before_press;
namespace Ui { class qv_analysis_window; }
struct analysis_file;
namespace analysis {
struct series;
struct cycle_source;
struct cycle_cut;
}

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
    // The analyses behind the list: place m is row m of `recent_analyses`. Open for the analysis files, which
    // fill places, and for tests; the list must be refreshed (on_recent_analyses_itemClicked) after a change.
    analysis_records &analyses() { return book; }
    const analysis_records &analyses() const { return book; }
    // The analysis document named on the command line, read at construction.
    const QString &startup_document() const { return startup_analysis; }
    // The port name last given by the run screen.
    const QString &port_name() const { return port; }
    // The user's analysis folder, "Data/User/<user>/Analysis".
    const QString &analysis_folder() const { return analysis_dir; }

    // True when `path` names an existing regular file (not a folder).
    static bool file_exists(const QString &path);

signals:
    void show_experiment_window();
    void close_experiment();             // for the run screen's close_wind(); nothing emits it
    void settings_clicked_experiment();
    void send_current_user(uint8_t index);
    void close_exp_window();             // for the run screen's hide_exp_window(); nothing emits it
    void send_user_name(QString name);   // feeds the user-selection window
    void current_color(QColor anodic, QColor cathodic);  // feeds the graph-colour picker
    void analysis_number(int count);     // feeds the delete warning: first the count,
    void analysis_name(QString name);    // then the current entry's text
    void send_axisval(double y_upper, double y_lower, double x_upper, double x_lower, uint8_t mode);

public slots:
    // the hand-over, in the order the run screen sends it (qv_analysis_window_handover.cpp)
    void get_from_experiment(const curve &record);
    void refresh_ui();
    void get_user_from_experiment(const QString &name);
    void update_combobox(const QString &state);
    void update_user_from_experiment(int index);
    void update_current_list(int8_t index);
    void update_device(uint8_t);
    void update_port(const QString &name);
    void on_To_Run_Screen_Button_clicked();

    // user, port and dialog controls (qv_analysis_window_user.cpp)
    void on_user_box_currentIndexChanged(int index);
    void on_actionUser_triggered();
    void user_select_slot(const QString &name);
    void on_settings_clicked();
    void on_analysis_name_textChanged(const QString &text);
    void port_window();
    void on_actionAbout_triggered();
    void on_Open_Experiment_3_clicked();

    // the analyse action and the tangent rotations (qv_analysis_window_analyse.cpp)
    void on_Stop_clicked();
    void on_actionShow_Peaks_triggered();
    void on_tangent_valueChanged(int degrees);
    void on_cathodic_2_valueChanged(int degrees);

    // selection controls (qv_analysis_window_selection.cpp)
    void on_Experiment_2B_Analyzed_currentIndexChanged(int index);
    void on_channel_to_analyze_currentIndexChanged(int index);
    void on_Cycle_to_analyze_currentIndexChanged(int index);
    void on_Method_2_currentIndexChanged(int index);
    void on_anodic_valueChanged(int value);
    void on_cathodic_valueChanged(int value);
    void on_slider_sample_valueChanged(int value);
    void on_slider_rate_valueChanged(int value);

    // list of analyses (qv_analysis_window_list.cpp)
    void on_recent_analyses_itemClicked(QListWidgetItem *item);
    void on_recent_analyses_itemDoubleClicked(QListWidgetItem *item);
    void on_recent_analyses_itemChanged(QListWidgetItem *item);
    void on_details_box_currentIndexChanged(int index);
    void on_Open_Experiment_6_clicked();
    void on_Open_Experiment_2_clicked();
    void update_color(uint8_t anodic_pair, uint8_t cathodic_pair);
    void select_all();
    void unselect_all();
    void clear_all();
    void open_file_loc();

    // deleting and clearing (qv_analysis_window_delete.cpp)
    void on_Delete_Analysis_2_clicked();
    void on_Delete_Analysis_clicked();
    void delete_analysis();
    void clear_all_unsaved();
    void remove_unsaved(uint8_t row);

    // plot interaction and context menus (qv_analysis_window_plot.cpp)
    void onMouseMove(QMouseEvent *event);
    void mousePressSignal(QMouseEvent *event);
    void mouseMoveSignal(QMouseEvent *event);
    void mouseReleaseSignal(QMouseEvent *event);
    void beforeReplot();
    void legend_menu();
    void set_axis();
    void updateaxis(double y_upper, double y_lower, double x_upper, double x_lower);
    void on_Center_clicked();
    void ShowContextMenu(const QPoint &pos);
    void show_select_menu(const QPoint &pos);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;

private:
    // Signal blocks that nest: each one restores the state it found, so an inner routine never unblocks a
    // control its caller holds.
    using signal_hold = std::vector<QSignalBlocker>;
    signal_hold hold(std::initializer_list<QObject *> objects) const;
    signal_hold hold_selection_controls() const;  // experiment, cycle, channel boxes and the four sliders

    // hand-over (qv_analysis_window_handover.cpp)
    void select_user_row(int row);  // selects the row and takes that user's folder, also when it was current

    // construction (qv_analysis_window.cpp)
    void setup_plot();
    void update_combo_enable();
    void update_buttons();
    void replot();

    // list helpers (qv_analysis_window_list.cpp)
    int current_analysis() const;          // the list's current row, or -1
    // The row on show, or -1: what every command on "this analysis" acts on (save, image, folder, delete, colours).
    int analysis_on_show() const;
    QVector<int> analyses_drawn() const;   // the rows on the plot: none without one on show
    int analysis_count() const;            // rows in the list (never more than the records)
    QVector<int> selected_analyses() const; // selected rows in the selection model's order
    QStringList selected_names() const;
    QStringList row_texts() const;
    void make_current(int row, bool select);
    void set_row_font(int row, bool italic);
    void hide_analyses();                  // every analysis curve and tangent, and the legend entries
    void hide_all_curves();                // the analyses and the received experiments
    void show_analysis(int row, bool shown); // the row's cycle and both its tangents, shown or hidden
    void add_to_legend(int row);           // joins the legend entries on show, which keep the list's order
    void show_values(int row);             // the four labels from the row's result
    void update_hide_button();             // Hide/Show as the selected analyses stand
    void fill_details(const QString &heading);
    void refresh_details();                // the details for the selection as it now stands, after a click
    void show_row_the_user_picked();      // what the keys or any mouse button picked, shown as a click shows it
    void load_controls_from(int row);
    void set_save_buttons(bool enabled);
    void show_no_analysis();               // an empty list: no values or details, Analyze on
    void rotation_sliders_off();           // nothing on show: no tangent for them to turn

    // the analyse action (qv_analysis_window_analyse.cpp)
    QString unique_analysis_name(const QString &base) const;  // base, or base_1, base_2 ... past saved rows
    int choose_analysis_row(int exp);
    void copy_experiment_to_analysis(int row, int exp);
    void set_analysis_pens(int row);
    void show_result_values();
    void set_widgets_enabled(bool on);
    analysis::cycle_source cycle_source_for(int exp, const analysis::series &ch1, const analysis::series &ch2) const;
    void take_cut(int row, int exp, const analysis::cycle_cut &cut);
    void analyse_peaks(int row, int exp);
    void analyse_pearson(int row, int exp);
    void show_analysed_row(int row);
    void draw_rotated_tangent(bool anodic, int degrees);
    void update_peak_labels();
    void update_result_text();
    void setup_sliders(int exp);
    // The peak sliders' ranges, each from its own maximum (its minimum follows it, never an earlier range's).
    void set_anchor_ranges(int anodic_maximum, int cathodic_maximum);
    void refuse_new_analysis();

    // selection controls (qv_analysis_window_selection.cpp)
    // What the cycle and channel boxes show after they are refilled for an experiment: their first items, the
    // previous choices where they still fit, or what the refill left.
    enum class refill { reset, restore, as_filled };
    void fill_cycle_and_channel(int exp, refill mode);
    void propose_analysis_name();
    void rerun_with_selection(bool center);

    // deleting (qv_analysis_window_delete.cpp)
    void remove_rows(const QVector<int> &rows);
    void open_delete_warning();

    Ui::qv_analysis_window *ui;
    std::array<curve, capacity> experiments;
    int received = 0;
    analysis_records book;
    selection_before_press *before_press = nullptr;  // undoes the first press of a double-click on the list
    uint8_t legend_shown = 1;
    legend_drag_state legend_drag;  // whether the legend is being dragged, and where it was grabbed
    QString analysis_dir;
    QString startup_analysis;
    QString port;
    bool handed_back = false;  // show_experiment_window goes out once per window

    // ---- analysis files: save, open, protocols, image (qv_analysis_window_files.cpp, _open.cpp) ----
public:
    // Where the file commands ask for a path (caption, proposed file or start folder, filter), ask before
    // replacing a file other than the one the dialog returned, and tell the user of a failure. Unset, they use
    // the standard dialogs and message boxes; tests set them so that nothing blocks. An empty path is a cancel.
    std::function<QString(const QString &caption, const QString &proposal, const QString &filter)> ask_save_path;
    std::function<QString(const QString &caption, const QString &start, const QString &filter)> ask_open_path;
    std::function<bool(const QString &path)> ask_replace;
    std::function<void(const QString &title, const QString &text)> show_file_message;
public slots:
    void on_Save_Analysis_clicked();
    void on_actionSave_triggered();
    void on_Save_Analysis_2_clicked();
    void on_Save_Analysis_3_clicked();
    void on_Open_Analysis_clicked();
    void on_Open_Analysis_2_clicked();
    void on_actionOpen_triggered();
    void on_Save_Protocol_2_clicked();
    void on_actionSettings_triggered();
    void on_Load_Protocol_2_clicked();
    void on_actioncompare_triggered();
    void on_Image_clicked();
protected:
    void dropEvent(QDropEvent *event) override;
private:
    QString chosen_save_path(const QString &caption, const QString &proposal, const QString &filter);
    QString chosen_open_path(const QString &caption, const QString &start, const QString &filter);
    void tell_user(const QString &title, const QString &text);
    // The save dialog's file with `extension` added; a No to replacing goes back to the dialog; empty: cancelled.
    QString ask_save_target(const QString &caption, const QString &proposal, const QString &filter,
                            const QString &extension);
    analysis_file file_of_analysis(int row, const QString &base) const;
    bool write_analysis_file(const QString &path, int row, const QString &base);
    void save_with_dialog(int row);
    void take_saved_name(int row, const QString &base);
    void save_analysis_auto(int mode);  // 2: the analysis named in the name box, 3: the current row
    bool is_own_file(int row, const QString &path) const;
    void overwrite_own_file(const QString &path, int row);
    void open_analysis();               // the open action of the two Open buttons and the menu
    void list_opened_analysis(const QString &base, const analysis_file &f);
    void fill_opened_record(int n, const QString &base, const analysis_file &f);
    int add_experiment_copy(int n);
    void open_without_dialog(const QString &path);
    void open_startup_analysis();       // the ".qva" of the command line, at the end of construction
    QString pending_analysis_path;      // set only while a drop or the constructor runs the open action
    // ---- end of analysis files ----
};
