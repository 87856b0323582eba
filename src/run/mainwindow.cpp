// Run screen construction, the experiment records and the user box.
#include "run/mainwindow.h"

#include <QActionGroup>
#include <QDebug>
#include <QIcon>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QMessageBox>
#include <QSerialPort>
#include <QTimer>
#include <utility>

#include "platform/screen_metrics.h"
#include "plot/curve_palette.h"
#include "plot/qcp_compat.h"
#include "run/live_run.h"
#include "run/run_start.h"
#include "lists/user_moves.h"
#include "lists/whole_name_rows.h"
#include "shell/settings_file.h"
#include "ui_mainwindow.h"
#include "platform/trace.h"

namespace {
const QString window_icon_path = QStringLiteral("Libraries/icons/QV_icons/qv256.ico");
const QString user_root = QStringLiteral("Data/User");

std::array<QColor, 24> palette_copy()
{
    std::array<QColor, 24> colours;
    for (int i = 0; i < 24; ++i)
        colours[size_t(i)] = palette_colour(i);
    return colours;
}
}  // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), palette(palette_copy()), ui(new Ui::MainWindow), state(run_state)
{
    qRegisterMetaType<curve>("curve");
    ui->setupUi(this);
    start_swatch_styles = {ui->w1_color_line->styleSheet(), ui->w2_color_line->styleSheet()};

    setFixedSize(maximumSize());
    qCDebug(rz410_trace) << "horizontal pixel density ratio" << platform::horizontal_density_ratio();

    state.close_confirmed = 0;

    setWindowIcon(QIcon(window_icon_path));
    setup_plot();
    create_record_curves();

    // The ports come with the link, which replaces the link of a window of an earlier log-in.
    create_instrument_link();
    state.run_clock = new QTimer(this);

    connect(ui->widget, &QCustomPlot::mouseMove, this, &MainWindow::onMouseMove);
    connect_session();

    // Before the window is first shown: the first instrument that answers is connected.
    find_instrument();

    fill_user_list();

    ui->widget->setContextMenuPolicy(Qt::CustomContextMenu);
    ui->listWidget->setContextMenuPolicy(Qt::CustomContextMenu);
    show_whole_names(ui->listWidget);
    connect(ui->widget, &QWidget::customContextMenuRequested, this, &MainWindow::ShowContextMenu);
    connect(ui->listWidget, &QWidget::customContextMenuRequested, this, &MainWindow::show_select_menu);
    // Every change of the selection or the current row (Select All, a deletion, a click) decides anew what the
    // save buttons offer.
    connect(ui->listWidget->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::update_buttons);
    connect(ui->listWidget->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::update_buttons);
    // A row reached by the keys or any mouse button is shown as a click shows it; the commands act on the row on
    // show.
    connect(new user_moves(ui->listWidget), &user_moves::changed, this, &MainWindow::show_row_the_user_picked);

    create_filter_actions();
    // Clock, receive path, settings file, default experiment name and the first estimate.
    setup_run_control();

    state.experiments_dir = experiments_dir_for(ui->user_box->currentText());
    setAcceptDrops(true);
    open_startup_experiment();
}

MainWindow::~MainWindow()
{
    // The shared state must not keep pointers to objects that go with this window.
    release_instrument_link();
    if (state.run_clock && state.run_clock->parent() == this)
        state.run_clock = nullptr;
    if (state.filter_actions && state.filter_actions->parent() == this)
        state.filter_actions = nullptr;
    if (state.live_curve1 && state.live_curve1->parentPlot() == ui->widget)
        state.live_curve1 = nullptr;
    if (state.live_curve2 && state.live_curve2->parentPlot() == ui->widget)
        state.live_curve2 = nullptr;
    delete ui;
}

void MainWindow::create_record_curves()
{
    QCustomPlot *plot = ui->widget;
    // A record joins the legend only once a run or a file fills it.
    qcp::keep_new_plottables_out_of_legend(plot);
    for (curve &record : records) {
        // The shown curves draw a reduced view: a run may hold millions of points, the plot a few hundred columns.
        record.ch1_curve = new reduced_curve(plot->xAxis, plot->yAxis);
        record.ch2_curve = new reduced_curve(plot->xAxis, plot->yAxis);
        record.ch1_raw_curve = new QCPCurve(plot->xAxis, plot->yAxis);
        record.ch2_raw_curve = new QCPCurve(plot->xAxis, plot->yAxis);
        record.ch1_raw_curve->removeFromLegend();
        record.ch2_raw_curve->removeFromLegend();
        record.ch1_raw_curve->setVisible(false);
        record.ch2_raw_curve->setVisible(false);
    }
    state.live_curve1 = new QCPCurve(plot->xAxis, plot->yAxis);
    state.live_curve2 = new QCPCurve(plot->xAxis, plot->yAxis);
    state.live_curve1->setVisible(false);
    state.live_curve2->setVisible(false);
}

void MainWindow::create_filter_actions()
{
    state.filter_actions = new QActionGroup(this);
    state.filter_actions->setExclusive(true);
    const QList<QAction *> actions = {ui->actionAutomatic, ui->actionRaw_Data, ui->action0_5Hz, ui->action1Hz,
                                      ui->action2Hz, ui->action5Hz, ui->action10Hz};
    int checked = -1;
    for (int i = 0; i < actions.size(); ++i) {
        state.filter_actions->addAction(actions[i]);
        if (actions[i]->isChecked())
            checked = i;
    }
    state.filter_cutoff = cutoff_for_filter_mode(checked);
}

int MainWindow::reserve_next_record()
{
    const int index = records.take_next();
    if (index < 0)
        QMessageBox::critical(this, QStringLiteral("Error"), start_refusal_text(start_refusal::records_full));
    return index;
}

void MainWindow::fill_user_list()
{
    // Filling an empty box would make its first entry current and run the user handling, which for a lone
    // "Log Out" entry would log out during construction; the log-in selects the user afterwards.
    const QSignalBlocker blocker(ui->user_box);
    ui->user_box->addItems(user_box_items(user_root));
}

void MainWindow::set_current_user(uint8_t index)
{
    // Only a user entry: an index past the users (lists that differ) must not select "Log Out".
    if (index < ui->user_box->count() && ui->user_box->itemText(index) != QLatin1String("Log Out"))
        ui->user_box->setCurrentIndex(index);
    // The analysis screen of the command-line document is the logged-in user's from its first moment: its user
    // box, details and folders.
    if (std::exchange(startup_analysis_waits, false))
        open_startup_analysis();
}

void MainWindow::on_user_box_currentIndexChanged(const QString &text)
{
    if (text.isEmpty())
        return;
    if (text == QLatin1String("Log Out")) {
        // The close decides: with unsaved experiments the user may keep the window, and then nothing
        // may have changed. The user lines and the ports follow only once the window really closes.
        close();
        return;
    }
    last_user_row = ui->user_box->currentIndex();
    save_current_user_config();
    complete_user_folder();
    state.experiments_dir = experiments_dir_for(text);
}

void MainWindow::save_current_user_config()
{
    const user_lines lines = user_lines_for(ui->user_box->currentText());
    settings_file::write_user_lines(lines.name, lines.flag);
}
