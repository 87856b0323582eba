// The analysis screen's window: construction, plot set-up, dropped files, the way out and the button states.
#include "analysis/qv_analysis_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QListWidget>

#include "analysis/handover_rules.h"
#include "lists/whole_name_rows.h"
#include "lists/drag_enter.h"
#include "lists/experiment_list_logic.h"
#include "lists/user_moves.h"
#include "lists/selection_before_press.h"
#include "plot/plot_legend.h"
#include "plot/qcp_compat.h"
#include "shell/app_state.h"
#include "shell/window_icon.h"
#include "ui_qv_analysis_window.h"

qv_analysis_window::qv_analysis_window(QWidget *parent)
    : QWidget(parent), ui(new Ui::qv_analysis_window), startup_analysis(app_state::startup_analysis_path)
{
    // The signal and slot signatures name these types; registered under those names, queued connections and
    // signal spies can carry them.
    qRegisterMetaType<curve>("curve");
    qRegisterMetaType<uint8_t>("uint8_t");
    qRegisterMetaType<int8_t>("int8_t");
    ui->setupUi(this);
    setWindowIcon(program_window_icon());
    setup_plot();
    // The Pearson threshold and window beside their sliders read what the analysis uses, however the value came.
    ui->slider_rate->show_value_in(ui->label_rate);
    ui->slider_sample->show_value_in(ui->label_sample);

    connect(ui->widget2, &QCustomPlot::mouseMove, this, &qv_analysis_window::onMouseMove);
    connect(ui->actionPort, &QAction::triggered, this, &qv_analysis_window::port_window);
    ui->analysis_name->setText(handover::default_analysis_name(QDate::currentDate()));
    ui->recent_analyses->setSelectionMode(QAbstractItemView::MultiSelection);
    ui->widget2->setContextMenuPolicy(Qt::CustomContextMenu);
    ui->recent_analyses->setContextMenuPolicy(Qt::CustomContextMenu);
    show_whole_names(ui->recent_analyses);
    before_press = new selection_before_press(ui->recent_analyses);
    // Watching after the press memory, so that it still sees each press before the list handles it.
    connect(new user_moves(ui->recent_analyses), &user_moves::changed, this,
            &qv_analysis_window::show_row_the_user_picked);
    connect(ui->widget2, &QWidget::customContextMenuRequested, this, &qv_analysis_window::ShowContextMenu);
    connect(ui->recent_analyses, &QWidget::customContextMenuRequested, this, &qv_analysis_window::show_select_menu);
    analysis_dir = QStringLiteral("Data/User/") + ui->user_box->currentText() + QStringLiteral("/Analysis");
    setAcceptDrops(true);
    rotation_sliders_off();
    open_startup_analysis();
}

qv_analysis_window::~qv_analysis_window() { delete ui; }

void qv_analysis_window::setup_plot()
{
    QCustomPlot *plot = ui->widget2;
    // Only the analyses on show join the legend, and only when the list puts them there.
    qcp::keep_new_plottables_out_of_legend(plot);
    plot->yAxis->setLabel(QStringLiteral("Current (\u00b5A)"));
    plot->xAxis->setLabel(QStringLiteral("Voltage (V)"));
    book.attach(plot);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->xAxis->setRange(-0.6, 0.6);
    plot->yAxis->setRange(-100, 100);
    setup_legend(plot, font());
    connect(plot, &QCustomPlot::mouseMove, this, &qv_analysis_window::mouseMoveSignal);
    connect(plot, &QCustomPlot::mousePress, this, &qv_analysis_window::mousePressSignal);
    connect(plot, &QCustomPlot::mouseRelease, this, &qv_analysis_window::mouseReleaseSignal);
    connect(plot, &QCustomPlot::beforeReplot, this, &qv_analysis_window::beforeReplot);
}

void qv_analysis_window::replot() { qcp::replot_hint(ui->widget2); }

qv_analysis_window::signal_hold qv_analysis_window::hold(std::initializer_list<QObject *> objects) const
{
    signal_hold held;
    held.reserve(objects.size());
    for (QObject *o : objects)
        held.emplace_back(o);
    return held;
}

qv_analysis_window::signal_hold qv_analysis_window::hold_selection_controls() const
{
    return hold({ui->Experiment_2B_Analyzed, ui->Cycle_to_analyze, ui->channel_to_analyze, ui->anodic,
                 ui->cathodic, ui->cathodic_2, ui->tangent});
}

bool qv_analysis_window::file_exists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

void qv_analysis_window::closeEvent(QCloseEvent *event)
{
    // Every way out goes back to the run screen, the title bar's close too: the run screen is hidden, and a
    // window that merely closed would end the program past its warning about unsaved experiments.
    if (!handed_back) {
        handed_back = true;
        emit show_experiment_window();
        setAttribute(Qt::WA_DeleteOnClose);
    }
    event->accept();
}

void qv_analysis_window::dragEnterEvent(QDragEnterEvent *event)
{
    answer_drag_enter(event, QStringLiteral(".qva"));
}

void qv_analysis_window::update_combo_enable()
{
    const int n = ui->Experiment_2B_Analyzed->currentIndex();
    if (!handover::row_in_range(n, received))
        return;
    const curve &e = experiments[size_t(n)];
    if (qcp::point_count(e.ch1_curve) == 0) {
        ui->channel_to_analyze->setCurrentIndex(1);
        ui->channel_to_analyze->setEnabled(false);
    } else if (qcp::point_count(e.ch2_curve) > 0) {
        ui->channel_to_analyze->setCurrentIndex(0);
        ui->channel_to_analyze->setEnabled(true);
    } else {
        ui->channel_to_analyze->setEnabled(false);
    }
}

void qv_analysis_window::update_buttons()
{
    if (ui->recent_analyses->count() == 0) {
        ui->Delete_Analysis->setEnabled(false);
        ui->Save_Analysis_2->setEnabled(false);
        ui->Save_Analysis_3->setEnabled(false);
    } else {
        const bool named = experiment_list::last_row_named(row_texts(), ui->analysis_name->text()) >= 0;
        ui->Delete_Analysis->setEnabled(named);
        ui->Save_Analysis_2->setEnabled(named);
    }
    ui->Delete_Analysis_2->setEnabled(true);
}
