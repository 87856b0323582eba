// The run screen: set up a method, run it, watch and manage the experiments.
#pragma once

#include <QColor>
#include <QMainWindow>
#include <QPen>
#include <QPointer>
#include <QVector>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "instrument/method_parameters.h"
#include "plot/curve.h"
#include "plot/plot_legend.h"
#include "run/record_store.h"
#include "run/run_state.h"

class QCloseEvent;
class QMouseEvent;
class QDragEnterEvent;
class QListWidgetItem;
class QDropEvent;
struct experiment_file_contents;
struct experiment_data;
struct export_stamp;
struct fitted_ranges;
struct save_result;
class instrument_link;
class dialog_warning_save_data;
enum class link_view;
namespace Ui { class MainWindow; }
namespace context_menu { struct screen_state; }

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    record_store &experiment_records() { return records; }
    run_screen_state &screen_state() { return state; }

    // Takes the next free record for a new experiment; with all 255 in use it says so and returns -1.
    int reserve_next_record();

    // curve colours and visibility (record indexes outside the records are ignored)
    QPen we1_pen(int record) const;
    QPen we2_pen(int record) const;
    void set_record_colours(uint8_t pair1, uint8_t pair2, uint8_t record, bool no_swatches);
    void show_record_colour_swatches(int record);
    void apply_detail_colors(int record);
    void reset_list_style();
    void apply_record_visibility(int record);
    void hide_record_graphs(int record);
    void toggle_we1_graph(int record);
    void toggle_we2_graph(int record);
    void set_graphs_visible(int record);
    void include_in_axes(int record);

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

    // curve colours, visibility and axes
    void on_Center_clicked();
    void on_color_clicked();
    void update_color(uint8_t ch1_pair, uint8_t ch2_pair);
    void on_w1_check_clicked();
    void on_w2_check_clicked();
    void on_Open_Experiment_2_clicked();
    void legend_menu();
    void set_axis();
    void updateaxis(double y_upper, double y_lower, double x_upper, double x_lower);
    void open_file_loc();

private:
    // construction
    void fill_user_list();
    void save_current_user_config();
    void setup_plot();
    void create_record_curves();
    void create_filter_actions();
    // display helpers
    static bool valid_record(int record) { return record >= 0 && record < record_store::capacity; }
    int selected_count() const;
    bool summary_entry_current() const;
    void paint_swatches(const QColor &ch1, const QColor &ch2);
    void paint_swatches_blank();
    void paint_swatches_as_at_start();
    void toggle_electrode_graph(int record, bool ch1);
    void redraw();
    void set_legend_entry(QCPCurve *c, bool shown) const;
    void show_curve(QCPCurve *c);
    void set_axis_ranges(const fitted_ranges &fit);
    bool fit_axes_to_run();  // false, changing nothing, when no run is under way in view
    void include_selection_in_axes();  // widens the axes to hold every selected record not hidden

    const std::array<QColor, 24> palette;
    record_store records;
    Ui::MainWindow *ui;
    legend_drag_state legend_drag;
    uint8_t legend_shown = 1;
    std::array<QString, 2> start_swatch_styles;  // the swatches' look while no record is in DETAILS
    run_screen_state &state;

    // session: settings, closing, users, hand-over
public:
    // The analysis screen of the last hand-over while it is open; it deletes itself when it hands back.
    qv_analysis_window *analysis_screen() const;
public slots:
    void on_settings_clicked();
    void settings_closed(int8_t device_index);
    void close_app_slot();
    void user_update();
    void user_select_slot(QString name);
    void select_index(uint8_t index);
    void close_wind();
    void hide_exp_window();
    void show_this_window();
    void on_To_Analysis_Screen_Button_clicked();
    void on_actionShow_Peaks_triggered();
    void on_actionSettings_2_triggered();
    void on_actionAbout_triggered();
protected:
    void closeEvent(QCloseEvent *event) override;
private:
    void connect_session();
    void open_startup_analysis();  // the command-line analysis document, once the log-in names the user
    bool startup_analysis_waits = true;  // set_current_user has not yet run
    bool has_unsaved_experiments() const;
    void refuse_close_with_warning(bool logging_out);
    void put_back_user_row();
    void shut_down_for_close(bool logging_out);
    int last_user_row = -1;         // the user row before the box moved to "Log Out"
    bool log_out_on_confirm = false;  // the close the warning asks about came from "Log Out"
    QTimer *hand_over_hide_timer = nullptr;
    QPointer<dialog_warning_save_data> close_warning;  // one per window, made and connected once
    bool closed_for_good = false;   // the close went through: the instrument was told and the link let go

    // instrument link
public:
    // Time-outs, in ms, of the link the next window builds: a connection attempt, each port of the
    // start-up search, and the port-list poll that notices plug-in and removal. Tests shorten them.
    static void set_link_timeouts(int connect_ms, int startup_ms, int watch_ms);
    // Null only once the window of a later log-in has taken the instrument over.
    instrument_link *instrument() const;
    QString device_display_name() const;
public slots:
    void on_comboBox_2_currentIndexChanged(int index);
    void port_update();
    void qv_select(uint8_t index);
    void serial_select_slot(const QString &port);
#ifdef Q_OS_WIN
protected:
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;
#endif
private:
    void create_instrument_link();
    void find_instrument();
    bool instrument_can_change() const;
    void release_instrument_link();
    void show_link_view(link_view view, const QString &device_item);
    void link_run_interrupted();
    void link_port_open_failed(const QString &port, const QString &reason, bool permission_denied);
    QPointer<instrument_link> link;

    // experiment list
public:
    int selected_rows() const;  // record the details box names; -1 when no selected experiment stands there
    static bool file_exists(const QString &path);
public slots:
    void on_listWidget_itemClicked(QListWidgetItem *item);
    void show_row_the_user_picked();  // a row reached by the keys or any mouse button, shown as a click shows it
    void on_listWidget_itemDoubleClicked(QListWidgetItem *item);
    void on_listWidget_itemChanged(QListWidgetItem *item);
    void on_Open_Experiment_5_clicked();
    void toggle_multi_selection();
    void refresh_experiment_list();
    void on_details_box_currentIndexChanged(int index);
    void select_all();
    void unselect_all();
    void clear_all();
    void clear_all_unsaved();
    void on_Delete_Experiment_2_clicked();
    void on_Delete_Experiment_clicked();
    void delete_experiment();
    void rebuild_after_delete(uint8_t row);
    void update_buttons();
    void add_opened_experiment(const QString &name);
    void on_actionNew_triggered();
protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
private:
    QVector<int> selection_snapshot() const;
    bool current_row_in_use() const;
    bool current_row_on_show() const;  // current, in use and selected: the record a command on "this" acts on
    void make_row_current(int row);
    void set_electrode_boxes(bool w1, bool w2);
    void show_name_in_details(int record, const QString &name);
    void mark_unsaved(int row);  // a change the record's file lacks: italic row, Save on, asked for at closing
    bool selected_flags_agree() const;
    bool run_under_way() const;
    void show_only_current_row();
    void release_record_curves(int index);
    void open_delete_warning(const QVector<int> &rows, const QString &name);
    void move_record(int from, int to);
    void remove_rows(const QVector<int> &rows);
    std::optional<int> take_rows(const QVector<int> &rows);  // the row to make current next; none when none went
    void show_row_after_removal(int row);
    void show_no_record_in_details();
    QVector<int> pending_delete_rows;  // rows the open delete warning asks about

    // context menus and image export
public:
    // Where the image export asks for a path (caption, proposed path, filter) and tells of a failure (title,
    // text). Unset, they use the standard save dialog and message box; tests answer them. Empty is a cancel.
    std::function<QString(const QString &, const QString &, const QString &)> ask_image_path;
    std::function<void(const QString &title, const QString &text)> show_image_message;
public slots:
    void show_select_menu(const QPoint &pos);
    void ShowContextMenu(const QPoint &pos);
    void on_Image_clicked();
private:
    context_menu::screen_state menu_state() const;

    // experiment and protocol files
public:
    // Where the file commands ask for a path (caption, proposed path or start folder, filter) and where they
    // tell of a failure. Unset, they use the standard dialogs and message boxes; tests set them so that
    // nothing blocks. An empty answer is a cancel.
    std::function<QString(const QString &, const QString &, const QString &)> ask_save_path;
    std::function<QString(const QString &, const QString &, const QString &)> ask_open_path;
    std::function<void(const QString &title, const QString &text)> show_file_error;
    // Asks whether an existing file may be replaced (title, question); unset, a question box. True replaces.
    std::function<bool(const QString &title, const QString &text)> ask_replace;
    // Asked from the reading thread while a file is being opened, with the fraction read; false cancels the
    // opening as the progress dialog's Cancel does. Unset, only the dialog cancels.
    std::function<bool(double fraction)> opening_goes_on;

    // The copy of a finished run under "Data/Temp/"; the record stays unsaved. False, after telling the user,
    // when nothing was written.
    bool autosave_record(int record);
    bool save_selected_experiment(const QString &path);
    void save_experiment(int which);
    bool overwrite_experiment_file(const QString &path, int record);
    // The command-line experiment, opened once the window is built.
    void open_startup_experiment();
public slots:
    void on_Open_clicked();
    void on_actionOpen_triggered();
    void on_Open_Experiment_clicked();
    void onMessageReceived(const QString &message);
    void on_Save_clicked();
    void on_actionSave_triggered();
    void on_export_2_clicked();
    void on_Save_Experiment_clicked();
    void on_Save_Experiment_2_clicked();
    void on_Save_Protocol_clicked();
    void on_actionSave_Protocol_triggered();
    void on_Load_Protocol_clicked();
    void on_actionLoad_Protocol_triggered();
    void on_actionSave_As_triggered();
protected:
    void dropEvent(QDropEvent *event) override;
private:
    // Gives the current user's folder the subfolders the dialogs start in, before a dialog opens.
    void complete_user_folder() const;
    QString chosen_save_path(const QString &caption, const QString &proposal, const QString &filter);
    QString chosen_open_path(const QString &caption, const QString &start, const QString &filter);
    void tell_file_error(const QString &title, const QString &text);
    bool confirm_replace(const QString &title, const QString &path);
    // Asks for the file to save to, with `extension` added to the name typed. Declining to replace an existing
    // file goes back to the dialog; empty only when the dialog is cancelled.
    QString ask_save_target(const QString &caption, const QString &proposal, const QString &filter,
                            const QString &extension);
    bool write_record_file(const QString &path, int record, const QString &name_in_file);
    save_result write_in_parts(const QString &path, const experiment_data &fields, int record,
                               const export_stamp &stamp);
    void save_with_dialog(int record, const QString &proposed_name);
    void give_saved_name(int record, const QString &name);
    void show_as_saved(int record);
    void refill_method_form(const experiment_file_contents &contents);
    method_pages protocol_form_values() const;
    void load_method_page(method_index method, const method_pages &pages, bool untick_allowed);
    void set_step_box(int step);
    uint8_t open_from_button = 0;  // the form's own Open button: the opened file's parameters fill the form

    // run control and filtering
public:
    // True from Start until the end-of-run frame, Stop or the loss of the instrument. While it holds, nothing
    // may add, remove or move records: the run writes into running_record_index() after every batch.
    bool run_in_progress() const { return run_active; }
    int running_record_index() const { return run_active ? run_record : -1; }
    // Where Start tells why it refuses; unset, a critical message box. Tests set it so nothing blocks.
    std::function<void(const QString &title, const QString &text)> show_run_error;
    void update_duration();
    void filter_experiment(uint16_t index);
    float selected_filter_cutoff() const;
    void set_filter_label(const QString &value);
public slots:
    void on_Start_clicked();
    void on_actionStart_triggered();
    void on_Stop_clicked();
    void on_actionStop_triggered();
    void update_timer();
    void serialReceived();
    void on_actionAutomatic_triggered();
    void on_actionRaw_Data_triggered();
    void on_action0_5Hz_triggered();
    void on_action1Hz_triggered();
    void on_action2Hz_triggered();
    void on_action5Hz_triggered();
    void on_action10Hz_triggered();
    void filt_menuraw();
    void filt_menu05();
    void filt_menu1();
    void filt_menu2();
    void filt_menu5();
    void filt_menu10();
    void filt_menu();
    void show_raw_data();
    // method pages and the duration estimate
    void on_Er1_valueChanged(int);
    void on_Ei_valueChanged(int);
    void on_EiEqEr1_stateChanged(int);
    void on_EiEqEr1_clicked();
    void on_Method_currentIndexChanged(int index);
    void on_Scan_Rate_valueChanged(int);
    void on_lsv_rate_valueChanged(int);
    void on_Channel_WE1_clicked();
    void on_Channel_WE2_clicked();
    void on_Scan_step_valueChanged(int value);
    void on_Repeat_No_valueChanged(int);
    void on_Er2_valueChanged(int);
    void on_dpv_ei_valueChanged(int);
    void on_dpv_ef_valueChanged(int);
    void on_dpv_step_valueChanged(int);
    void on_dpv_period_valueChanged(int);
    void on_swv_ei_valueChanged(int);
    void on_swv_ef_valueChanged(int);
    void on_swv_step_valueChanged(int);
    void on_swv_freq_valueChanged(int);
    void on_lsv_ei_valueChanged(int);
    void on_lsv_ef_valueChanged(int);
    void on_npv_ei_valueChanged(int);
    void on_npv_ef_valueChanged(int);
    void on_npv_step_valueChanged(int);
    void on_npv_period_valueChanged(int);
    void on_chr_ei_valueChanged(int);
    void on_chr_e1_valueChanged(int);
    void on_chr_e2_valueChanged(int);
    void on_chr_t1_valueChanged(int);
    void on_chr_steps_valueChanged(int);
    void on_ampero_run_time_valueChanged(int);
private:
    enum class run_ending { end_frame, stop, instrument_lost };
    void setup_run_control();
    void load_config();
    uint8_t read_config_extra_time() const;
    void default_experiment_name();
    QString unique_experiment_name() const;
    void apply_rate_limits();
    void set_method_controls_locked(bool locked);
    void set_run_controls(bool running);
    void show_clock(const clock_display &display);
    void take_received_bytes();
    void show_run_curves(bool final);
    void update_run_extremes();
    void end_run(run_ending how);
    void instrument_lost_during_run();
    void choose_filter_mode(int mode);
    void refilter_selection(float filter_hz);
    void show_raw_curves(int index);      // the record's raw samples become its shown curves
    void take_drawn_extremes(int index);  // the record's current extremes become those of its shown curves
    std::array<bool, 7> checked_filter_modes() const;
    bool run_active = false;
    int run_record = -1;
    int dropped_frames_told = 0;    // the trace names the first few undecodable batches of a run, not every one
    QTimer *live_redraw = nullptr;  // spaces out the redraws of a run
    bool file_operation_running = false;  // a long save or opening lets events through between its parts
    std::unique_ptr<class live_run> run_path;
};
