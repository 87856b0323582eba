// Whole runs on the run screen against the simulated instrument: every method on WE1, WE2 and both, from Start
// through the parameter frame and the streamed samples to the end frame, plus Stop, unplugging and refusals.
#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSocketNotifier>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <fcntl.h>
#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();   // the sanitizer runtime's; GCC ships no header for it
#endif
#include <memory>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include <qcustomplot.h>

#include "files/experiment_reader.h"
#include "instrument/commands.h"
#include "instrument/instrument_link.h"
#include "instrument/method_names.h"
#include "instrument/parameter_frames.h"
#include "instrument/sample_decoding.h"
#include "plot/curve_display.h"
#include "plot/qcp_compat.h"
#include "run/mainwindow.h"
#include "run/method_setup.h"
#include "run_test_fixtures.h"
#include "support/private_terminal.h"
#include "support/sim_instrument.h"
#include "support/temp_workdir.h"

namespace {
using namespace run_fixtures;

// Bytes the program holds on the heap, large blocks included; freed memory kept for reuse does not count. The
// sanitizers' allocator keeps its own count.
size_t heap_bytes_in_use()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

constexpr double sim_speed_up = 40;
// How long a run, a reply or a status may take before a case gives up. A run takes seconds alone; under the
// sanitizers on a busy two-core machine it can take many times that, and the cap only matters for a run that
// truly never ends.
constexpr int run_deadline_ms = 180000;

// A cable between the program and the simulated instrument that keeps a copy of every byte the instrument sent,
// so the test can decode independently what the run screen should have received.
class wire_tap : public QObject {
public:
    explicit wire_tap(const QString &instrument_path)
    {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        program_side = std::make_unique<private_terminal>(QString::fromLocal8Bit(name));
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        instrument = ::open(instrument_path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (instrument < 0)
            return;
        ::tcgetattr(instrument, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(instrument, TCSANOW, &t);
        from_program.reset(new QSocketNotifier(master, QSocketNotifier::Read));
        from_instrument.reset(new QSocketNotifier(instrument, QSocketNotifier::Read));
        connect(from_program.get(), &QSocketNotifier::activated, this, [this] { move(master, instrument, nullptr); });
        connect(from_instrument.get(), &QSocketNotifier::activated, this, [this] { move(instrument, master, &sent); });
    }
    ~wire_tap() override { cut(); }

    bool ok() const { return master >= 0 && instrument >= 0 && !program_path().isEmpty(); }
    QString program_path() const { return program_side ? program_side->path() : QString(); }
    // Everything the instrument wrote towards the program since the last clear.
    QByteArray sent;

    void cut()
    {
        from_program.reset();
        from_instrument.reset();
        if (program_side)
            program_side->remove();
        to_program.clear();
        to_instrument.clear();
        for (int *fd : {&master, &slave, &instrument}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }

private:
    // Reads what one side wrote and passes it on in order; what the other side cannot take yet waits.
    void move(int from, int to, QByteArray *log)
    {
        QByteArray &waiting = to == master ? to_program : to_instrument;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(from, buffer, sizeof buffer);
            if (n <= 0)
                break;
            if (log)
                log->append(buffer, int(n));
            waiting.append(buffer, int(n));
        }
        flush(to, waiting);
    }

    void flush(int to, QByteArray &waiting)
    {
        while (!waiting.isEmpty() && to >= 0) {
            const ssize_t w = ::write(to, waiting.constData(), size_t(waiting.size()));
            if (w > 0) {
                waiting.remove(0, int(w));
            } else if (w < 0 && errno == EINTR) {
                continue;
            } else {
                // A full terminal buffer empties once the other side reads; try again shortly.
                const bool towards_program = to == master;
                QTimer::singleShot(1, this, [this, towards_program] {
                    // The cable may have been cut meanwhile; its descriptors are then -1.
                    flush(towards_program ? master : instrument, towards_program ? to_program : to_instrument);
                });
                return;
            }
        }
    }

    QByteArray to_program, to_instrument;
    int master = -1, slave = -1, instrument = -1;
    std::unique_ptr<private_terminal> program_side;
    std::unique_ptr<QSocketNotifier> from_program, from_instrument;
};

void set_box(MainWindow &w, const char *name, int value) { child<QSpinBox>(w, name)->setValue(value); }
QString status(const MainWindow &w) { return child<QLabel>(w, "connected_label_3")->text(); }

// Short runs of each method, at most a few hundred samples, so 21 of them fit in the time a CI job allows.
method_pages short_pages()
{
    method_pages p;
    p.cv = {-100, 100, -100, true, 200, 1, 1};
    p.dpv = {-100, 100, 2, 10, 20, 50};
    p.swv = {-100, 100, 2, 100, 5};
    p.lsv = {-100, 100, 200};
    p.npv = {-100, 100, 2, 5, 10};
    p.chrono = {0, 300, -300, 200, 2};
    p.ampero = {-100, 500};
    return p;
}

// Ten minutes of instrument time: only Stop or unplugging ends the run.
method_pages long_ampero()
{
    method_pages p = short_pages();
    p.ampero.run_time_ms = 600000;
    return p;
}

// Whether Start and Stop can be clicked.
QPair<bool, bool> start_stop(const MainWindow &w)
{
    return {child<QToolButton>(w, "Start")->isEnabled(), child<QToolButton>(w, "Stop")->isEnabled()};
}

void fill_form(MainWindow &w, method_index m, const method_pages &p, bool we1, bool we2)
{
    child<QComboBox>(w, "Method")->setCurrentIndex(int(m));
    child<QCheckBox>(w, "Channel_WE1")->setChecked(we1);
    child<QCheckBox>(w, "Channel_WE2")->setChecked(we2);
    child<QCheckBox>(w, "EiEqEr1")->setChecked(p.cv.ei_equals_er1);
    const std::pair<const char *, int> boxes[] = {
        {"Scan_step", p.cv.step}, {"Er1", p.cv.er1_mV}, {"Er2", p.cv.er2_mV}, {"Ei", p.cv.ei_mV},
        {"Scan_Rate", p.cv.rate_mV_s}, {"Repeat_No", p.cv.repeat}, {"dpv_ei", p.dpv.ei_mV}, {"dpv_ef", p.dpv.ef_mV},
        {"dpv_step", p.dpv.step_mV}, {"dpv_width", p.dpv.width_ms}, {"dpv_period", p.dpv.period_ms},
        {"dpv_amplitude", p.dpv.amplitude_mV}, {"swv_ei", p.swv.ei_mV}, {"swv_ef", p.swv.ef_mV},
        {"swv_step", p.swv.step_mV}, {"swv_freq", p.swv.freq_Hz}, {"swv_amp", p.swv.amplitude_mV},
        {"lsv_ei", p.lsv.ei_mV}, {"lsv_ef", p.lsv.ef_mV}, {"lsv_rate", p.lsv.rate_mV_s}, {"npv_ei", p.npv.ei_mV},
        {"npv_ef", p.npv.ef_mV}, {"npv_step", p.npv.step_mV}, {"npv_width", p.npv.width_ms},
        {"npv_period", p.npv.period_ms}, {"chr_ei", p.chrono.ei_mV}, {"chr_e1", p.chrono.e1_mV},
        {"chr_e2", p.chrono.e2_mV}, {"chr_t1", p.chrono.t1_ms}, {"chr_steps", p.chrono.steps},
        {"ampero_potential", p.ampero.potential_mV}, {"ampero_run_time", int(p.ampero.run_time_ms)}};
    for (const auto &[name, value] : boxes)
        set_box(w, name, value);
}

run_settings settings_of(bool we1, bool we2)
{
    run_settings s;
    s.we1 = we1;
    s.we2 = we2;
    s.range_index = 2;
    s.extra_time_s = 0;
    return s;
}

// The samples of each electrode in a byte stream, decoded the way a run of this frame decodes them.
struct expected_run {
    std::vector<decoded_sample> we1, we2;
    bool ended = false;
};

expected_run decode_stream(QByteArray bytes, method_index m, const parameter_frame_result &built)
{
    run_decoding_context ctx = start_decoding(m, built);
    const decoded_batch batch = decode_received(bytes, ctx);
    expected_run out;
    out.ended = batch.end_of_run;
    for (const decoded_sample &s : batch.samples)
        (s.electrode == 1 ? out.we1 : out.we2).push_back(s);
    return out;
}

// The curve holds the first samples.size() (or, with prefix, at least one and at most that many) samples, exactly.
void check_curve(const QCPCurve *c, const std::vector<decoded_sample> &samples, bool prefix)
{
    const int n = c->data()->size();
    if (prefix) {
        QVERIFY2(n > 0 && n <= int(samples.size()), qPrintable(QStringLiteral("%1 of %2").arg(n).arg(samples.size())));
    } else {
        QCOMPARE(n, int(samples.size()));
    }
    int i = 0;
    for (auto it = c->data()->constBegin(); it != c->data()->constEnd(); ++it, ++i) {
        QCOMPARE(it->key, samples[size_t(i)].x);
        QCOMPARE(it->value, double(samples[size_t(i)].current_uA));
    }
}

bool wait_for(const std::function<bool()> &done, int ms = run_deadline_ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(5);
    return done();
}

// The newest temporary copy's text; a run's autosave names its record.
QByteArray newest_autosave()
{
    const QFileInfoList files = QDir(QStringLiteral("Data/Temp")).entryInfoList(QDir::Files, QDir::Time);
    if (files.isEmpty())
        return {};
    QFile f(files.first().filePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

class run_road_test : public QObject {
    Q_OBJECT
    std::unique_ptr<temp_workdir> wd;
    std::unique_ptr<sim_instrument> sim;
    std::unique_ptr<wire_tap> tap;
    std::unique_ptr<MainWindow> w;
    QStringList errors;

    void connect_window()
    {
        sim = std::make_unique<sim_instrument>(5);
        QVERIFY(sim->is_plugged());
        sim->set_speed_up(sim_speed_up);
        tap = std::make_unique<wire_tap>(sim->slave_path());
        QVERIFY(tap->ok());
        qputenv("RZ410_EXTRA_PORTS", tap->program_path().toLocal8Bit());
        w = std::make_unique<MainWindow>();
        w->show_run_error = [this](const QString &title, const QString &text) { errors << title + ": " + text; };
        w->show_file_error = [this](const QString &title, const QString &text) { errors << title + ": " + text; };
        // A reply later than the start-up search's time-out still connects the instrument, by the port watch.
        QVERIFY(wait_for([this] { return w->instrument() && w->instrument()->is_connected(); }));
        QVERIFY(wait_for([this] { return status(*w) == QLatin1String("Ready"); }));
        QVERIFY(child<QToolButton>(*w, "Start")->isEnabled());
    }

    // A window and instrument as every case expects them: connected, idle, at the simulation's normal speed.
    void reconnect_window()
    {
        disconnect_window();
        connect_window();
    }

    void disconnect_window()
    {
        w.reset();
        tap.reset();
        sim.reset();
        qunsetenv("RZ410_EXTRA_PORTS");
    }

    // Starts a run of `m` with the form set from `pages`; returns the record index, -1 when nothing started.
    int start(method_index m, const method_pages &pages, bool we1, bool we2)
    {
        fill_form(*w, m, pages, we1, we2);
        sim->clear_received();
        tap->sent.clear();
        const int before = w->experiment_records().experiment_count();
        child<QToolButton>(*w, "Start")->click();
        if (w->experiment_records().experiment_count() == before)
            return -1;
        return before;
    }

private slots:
    void initTestCase()
    {
        MainWindow::set_link_timeouts(connect_timeout_ms, startup_timeout_ms, watch_interval_ms);
        wd = std::make_unique<temp_workdir>();
        connect_window();
    }
    void cleanupTestCase()
    {
        disconnect_window();
        wd.reset();
    }
    void init() { errors.clear(); }
    void cleanup()
    {
        // A case that failed midway (a run that did not end in time, a dead line) must not take the next ones
        // down with it: they get a fresh window on a fresh instrument.
        if (QTest::currentTestFailed() || !w || w->run_in_progress() || status(*w) != QLatin1String("Ready"))
            reconnect_window();
    }

    void every_method_runs_to_its_end_frame_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("we1");
        QTest::addColumn<bool>("we2");
        const char *names[method_count] = {"cyclic", "differential pulse", "square wave", "linear sweep",
                                           "normal pulse", "chronoamperometry", "amperometry"};
        for (int m = 0; m < method_count; ++m) {
            QTest::addRow("%s WE1", names[m]) << m << true << false;
            QTest::addRow("%s WE2", names[m]) << m << false << true;
            QTest::addRow("%s both", names[m]) << m << true << true;
        }
    }

    void every_method_runs_to_its_end_frame()
    {
        QFETCH(int, method);
        QFETCH(bool, we1);
        QFETCH(bool, we2);
        const method_index m = static_cast<method_index>(method);
        method_pages pages = short_pages();
        // Every redraw during the run holds the running curves as drawn: a smoothed curve swings past the samples
        // where the current jumps, as at the turn of a cyclic sweep, here in 10 mV steps.
        if (m == method_index::cyclic)
            pages.cv = {-300, 700, -300, true, 200, 1, 10};
        auto *plot = child<QCustomPlot>(*w, "widget");
        QStringList outside;
        const QMetaObject::Connection watch = connect(plot, &QCustomPlot::afterReplot, this, [&] {
            const int running = w->running_record_index();
            if (running < 0)
                return;
            const curve &r = w->experiment_records()[running];
            const run_extremes drawn = drawn_extremes({qcp::read_points(r.ch1_curve), qcp::read_points(r.ch2_curve)});
            const QCPRange y = plot->yAxis->range();
            if (drawn.any && (drawn.i_min < y.lower || drawn.i_max > y.upper))
                outside << QString("%1..%2 in %3..%4").arg(drawn.i_min).arg(drawn.i_max).arg(y.lower).arg(y.upper);
        });
        const int n = start(m, pages, we1, we2);
        QVERIFY2(n >= 0, qPrintable(errors.join('\n')));
        QVERIFY(w->run_in_progress());
        QCOMPARE(w->running_record_index(), n);
        QCOMPARE(status(*w), QStringLiteral("Running"));
        QVERIFY(w->screen_state().run_clock->isActive());
        QCOMPARE(start_stop(*w), qMakePair(false, true));

        QVERIFY2(wait_for([&] { return !w->run_in_progress(); }), "the run never ended");
        disconnect(watch);
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join('\n')));
        QCOMPARE(status(*w), QStringLiteral("Ready"));
        QVERIFY(!w->screen_state().run_clock->isActive());
        QCOMPARE(start_stop(*w), qMakePair(true, false));

        // The instrument got exactly the frame the form describes.
        const parameter_frame_result built = build_parameter_frame(m, pages, settings_of(we1, we2), details_context{});
        QCOMPARE(sim->parameter_frames().size(), 1);
        QCOMPARE(sim->parameter_frames().first(),
                 QByteArray(reinterpret_cast<const char *>(built.frame.data()), parameter_frame_size));

        // Every sample the instrument sent is in the record, in order and unchanged, on the electrode it came from.
        const expected_run sent = decode_stream(tap->sent, m, built);
        QVERIFY(sent.ended);
        const bool records_we1 = we1;
        const bool records_we2 = we2 || !we1;
        QCOMPARE(int64_t(sent.we1.size()), records_we1 ? sim->samples_sent() : 0);
        QCOMPARE(int64_t(sent.we2.size()), records_we2 ? sim->samples_sent() : 0);
        QVERIFY(sim->samples_sent() > 20);
        const curve &record = w->experiment_records()[n];
        check_curve(record.ch1_raw_curve, sent.we1, false);
        check_curve(record.ch2_raw_curve, sent.we2, false);
        // The final pass leaves the shown curves complete as well, smoothed where the cut-off asks for it.
        QCOMPARE(record.ch1_curve->data()->size(), int(sent.we1.size()));
        QCOMPARE(record.ch2_curve->data()->size(), int(sent.we2.size()));
        // Its current extremes are those of the curves as drawn, which the axes hold.
        const run_extremes drawn = drawn_extremes({qcp::read_points(record.ch1_curve), qcp::read_points(record.ch2_curve)});
        QCOMPARE(qMakePair(record.i_min, record.i_max), qMakePair(drawn.i_min, drawn.i_max));
        const QCPRange y = child<QCustomPlot>(*w, "widget")->yAxis->range();
        QVERIFY(y.lower <= drawn.i_min && y.upper >= drawn.i_max);
        QCOMPARE(record.method, method_name(m));
        QCOMPARE(record.channel_code, built.channel_code);
        QCOMPARE(child<QListWidget>(*w, "listWidget")->item(n)->text(), record.name);
        QCOMPARE(record.saved, uint8_t(0));
        QVERIFY(newest_autosave().contains(record.name.toUtf8()));
    }

    void stop_keeps_every_frame_the_instrument_sent()
    {
        // A slow stream (75 samples a second), so that little is on its way at Stop even on a loaded machine.
        // The instrument finishes the frame in flight and sends what it still held a moment after the stop
        // command (late, as on a busy machine), then its end frame, which must not end the run a second time.
        const method_pages pages = long_ampero();
        sim->set_speed_up(0.25);
        sim->set_frames_after_stop(3, 10);
        sim->set_end_frame_after_stop(true);
        const int n = start(method_index::amperometry, pages, true, true);
        QVERIFY(n >= 0);
        QVERIFY(wait_for([&] { return w->experiment_records()[n].ch1_raw_curve->data()->size() > 20; }));
        child<QToolButton>(*w, "Stop")->click();
        QVERIFY(!w->run_in_progress());
        QCOMPARE(status(*w), QStringLiteral("Ready"));
        QVERIFY(!w->screen_state().run_clock->isActive());
        QVERIFY(wait_for([&] { return sim->received().endsWith(QByteArray(command_repeats, char(stop_command))); }));
        QVERIFY(!sim->running());

        // Every frame it sent, the late ones too, is in the record and in the autosave.
        QVERIFY(wait_for([&] { return tap->sent.endsWith(encode_end_of_run_frame(sample_frame_size)); }));
        const curve &record = w->experiment_records()[n];
        const parameter_frame_result built =
            build_parameter_frame(method_index::amperometry, pages, settings_of(true, true), details_context{});
        const expected_run sent = decode_stream(tap->sent, method_index::amperometry, built);
        QVERIFY(sent.ended);
        QCOMPARE(int64_t(sent.we1.size()), sim->samples_sent());
        check_curve(record.ch1_raw_curve, sent.we1, false);
        check_curve(record.ch2_raw_curve, sent.we2, false);
        const QByteArray autosave = newest_autosave();
        const std::optional<experiment_file_contents> saved = read_experiment(autosave);
        QVERIFY(saved && saved->experiment_name == record.name);
        QCOMPARE(saved->record.ch1_raw.size(), int(sent.we1.size()));
        QCOMPARE(saved->record.ch2_raw.size(), int(sent.we2.size()));
        QTest::qWait(50);
        QCOMPARE(newest_autosave(), autosave);
        QCOMPARE(status(*w), QStringLiteral("Ready"));
        const int kept1 = record.ch1_raw_curve->data()->size();
        sim->set_frames_after_stop(0, 0);
        sim->set_end_frame_after_stop(false);
        sim->set_speed_up(sim_speed_up);

        // A second run after a stopped one starts cleanly and goes to its end.
        const int second = start(method_index::linear_sweep, short_pages(), true, false);
        QCOMPARE(second, n + 1);
        QVERIFY(wait_for([&] { return !w->run_in_progress(); }));
        QCOMPARE(w->experiment_records()[second].ch1_raw_curve->data()->size(), int(sim->samples_sent()));
        QCOMPARE(record.ch1_raw_curve->data()->size(), kept1);   // the first run's record is untouched
    }

    void records_stay_put_while_a_run_goes()
    {
        const method_pages pages = long_ampero();
        const int n = start(method_index::amperometry, pages, true, false);
        QVERIFY(n >= 0);
        const int count = w->experiment_records().experiment_count();
        QVERIFY(!child<QComboBox>(*w, "Method")->isEnabled());
        QVERIFY(!child<QStackedWidget>(*w, "stackedWidget")->isEnabled());
        QVERIFY(!child<QToolButton>(*w, "Open")->isEnabled());
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("actionOpen"))->isEnabled());
        // Nor can a protocol change the method and pages the run locks.
        QVERIFY(!child<QToolButton>(*w, "Load_Protocol")->isEnabled());
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("actionLoad_Protocol"))->isEnabled());
        wd->write_file(QStringLiteral("lsv.qvp"), "3\n-200\n800\n50\n3\n");
        w->ask_open_path = [](const QString &, const QString &, const QString &) {
            return QDir::current().filePath(QStringLiteral("lsv.qvp"));
        };
        w->on_actionLoad_Protocol_triggered();
        QCOMPARE(child<QComboBox>(*w, "Method")->currentIndex(), int(method_index::amperometry));
        QCOMPARE(child<QStackedWidget>(*w, "stackedWidget")->currentIndex(), int(method_index::amperometry));

        w->clear_all();
        QCOMPARE(int(w->experiment_records().experiment_count()), count);
        w->experiment_records()[n].saved = 0;
        w->clear_all_unsaved();
        w->select_all();
        w->delete_experiment();
        w->rebuild_after_delete(uint8_t(n));
        QCOMPARE(int(w->experiment_records().experiment_count()), count);
        QCOMPARE(child<QListWidget>(*w, "listWidget")->count(), count);
        w->ask_open_path = [](const QString &, const QString &, const QString &) { return QStringLiteral("x.qve"); };
        w->on_Open_clicked();
        QCOMPARE(int(w->experiment_records().experiment_count()), count);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(w->running_record_index(), n);

        // A re-filter of the running record from the list menu would be undone by the next pass: it is left alone.
        child<QListWidget>(*w, "listWidget")->setCurrentRow(n);
        const float cutoff = w->experiment_records()[n].filter_hz;
        w->filt_menu10();
        QCOMPARE(w->experiment_records()[n].filter_hz, cutoff);

        // Deleting cannot even be asked for: the buttons stay off, whatever row is clicked meanwhile.
        auto *list = child<QListWidget>(*w, "listWidget");
        list->item(n)->setSelected(true);
        w->on_listWidget_itemClicked(list->item(n));
        QVERIFY(!child<QToolButton>(*w, "Delete_Experiment")->isEnabled());
        QVERIFY(!child<QToolButton>(*w, "Delete_Experiment_2")->isEnabled());

        // Nor can it be saved or exported: the file would hold part of the run, and the row would read as saved.
        w->unselect_all();
        list->item(n)->setSelected(true);
        w->on_listWidget_itemClicked(list->item(n));
        int asked = 0;
        w->ask_save_path = [&asked](const QString &, const QString &, const QString &) {
            ++asked;
            return QDir::current().filePath(QStringLiteral("running.qve"));
        };
        child<QLineEdit>(*w, "New_Experiment_Name")->setText(list->item(n)->text());
        w->update_buttons();
        for (const char *button : {"Save", "Save_Experiment", "Save_Experiment_2"})
            QVERIFY2(!child<QToolButton>(*w, button)->isEnabled(), button);
        QVERIFY(!w->findChild<QAction *>(QStringLiteral("actionSave"))->isEnabled());
        w->on_actionSave_triggered();
        w->on_export_2_clicked();
        w->on_Save_Experiment_clicked();
        w->on_Save_Experiment_2_clicked();
        QCOMPARE(asked, 0);
        QVERIFY(!QFileInfo::exists(QStringLiteral("running.qve")));
        QCOMPARE(w->experiment_records()[n].saved, uint8_t(0));
        w->ask_save_path = nullptr;

        child<QToolButton>(*w, "Stop")->click();
        QVERIFY(child<QToolButton>(*w, "Delete_Experiment_2")->isEnabled());
        QVERIFY(child<QComboBox>(*w, "Method")->isEnabled());
        QVERIFY(child<QStackedWidget>(*w, "stackedWidget")->isEnabled());
        QVERIFY(child<QToolButton>(*w, "Open")->isEnabled());
        QVERIFY(child<QToolButton>(*w, "Load_Protocol")->isEnabled());
        QVERIFY(w->running_record_index() < 0);

        // Once stopped, the list's filter menu re-filters it, and its details say so.
        w->filt_menu10();
        const curve &record = w->experiment_records()[n];
        QCOMPARE(record.filter_hz, 10.0f);
        QVERIFY(record.details.contains(QStringLiteral("Filter: 10Hz")));
        QCOMPARE(record.ch1_curve->data()->size(), record.ch1_raw_curve->data()->size());
        w->filt_menuraw();
        QCOMPARE(record.filter_hz, 0.0f);
        QVERIFY(record.details.contains(QStringLiteral("Filter: None")));
        for (int i = 0; i < record.ch1_raw_curve->data()->size(); ++i)
            QCOMPARE(record.ch1_curve->data()->at(i)->value, record.ch1_raw_curve->data()->at(i)->value);
    }

    void start_refuses_runs_that_cannot_record()
    {
        const int count = w->experiment_records().experiment_count();
        QVERIFY(start(method_index::cyclic, short_pages(), false, false) < 0);
        QCOMPARE(errors.size(), 1);

        method_pages pages = short_pages();
        pages.dpv.width_ms = pages.dpv.period_ms;   // period - width would wrap on the wire
        QVERIFY(start(method_index::differential_pulse, pages, true, false) < 0);
        QCOMPARE(errors.size(), 2);

        QCOMPARE(int(w->experiment_records().experiment_count()), count);
        QVERIFY(sim->parameter_frames().isEmpty());
        QVERIFY(!w->run_in_progress());
        QCOMPARE(status(*w), QStringLiteral("Ready"));
    }

    void the_estimate_follows_the_page_and_stands_still_during_a_run()
    {
        fill_form(*w, method_index::cyclic, short_pages(), true, false);
        set_box(*w, "Er1", -1000);
        set_box(*w, "Er2", 1000);
        set_box(*w, "Scan_Rate", 30);
        set_box(*w, "Repeat_No", 3);
        // (2000 + 2000) / 30 plus 4000 div 30 twice: 399 s.
        QCOMPARE(w->screen_state().clock.remaining_s, clock_seconds(399));
        QCOMPARE(child<QLCDNumber>(*w, "Elapsed_time")->digitCount() >= 5, true);

        const method_pages pages = long_ampero();
        QVERIFY(start(method_index::amperometry, pages, true, false) >= 0);
        QCOMPARE(w->screen_state().clock.remaining_s, clock_seconds(600));
        w->update_timer();
        QCOMPARE(w->screen_state().clock.remaining_s, clock_seconds(599));
        QCOMPARE(w->screen_state().clock.elapsed_s, clock_seconds(1));
        w->update_duration();   // a change to the page during the run
        QCOMPARE(w->screen_state().clock.remaining_s, clock_seconds(599));
        child<QToolButton>(*w, "Stop")->click();
        QCOMPARE(w->screen_state().clock.remaining_s, clock_seconds(600));
        QCOMPARE(w->screen_state().clock.elapsed_s, clock_seconds(0));
    }

    void a_run_shorter_than_the_filter_keeps_its_samples()
    {
        // 20 samples at 200 mV/s: the live passes hold back 200 samples, so only the final pass can show them.
        w->unselect_all();
        method_pages pages = short_pages();
        pages.cv.er1_mV = pages.cv.ei_mV = -10;
        pages.cv.er2_mV = 10;
        const int n = start(method_index::cyclic, pages, true, false);
        QVERIFY(n >= 0);
        QVERIFY(wait_for([&] { return !w->run_in_progress(); }));
        const curve &record = w->experiment_records()[n];
        QCOMPARE(record.ch1_raw_curve->data()->size(), int(sim->samples_sent()));
        QCOMPARE(record.ch1_curve->data()->size(), int(sim->samples_sent()));
        for (auto it = record.ch1_curve->data()->constBegin(); it != record.ch1_curve->data()->constEnd(); ++it)
            QVERIFY(std::isfinite(it->value));

        // The next, wider run starts centred on the rows selected then (this short one); when it ends, the axes
        // hold the whole of it.
        const int wide = start(method_index::linear_sweep, short_pages(), true, false);
        QVERIFY(wide >= 0);
        QVERIFY(wait_for([&] { return !w->run_in_progress(); }));
        const curve &last = w->experiment_records()[wide];
        const QCPRange x = child<QCustomPlot>(*w, "widget")->xAxis->range();
        const QCPRange y = child<QCustomPlot>(*w, "widget")->yAxis->range();
        QVERIFY2(x.lower <= last.e_min && x.upper >= last.e_max,
                 qPrintable(QString("x %1..%2, record %3..%4").arg(x.lower).arg(x.upper).arg(last.e_min).arg(last.e_max)));
        QVERIFY(y.lower <= last.i_min && y.upper >= last.i_max);
    }

    void a_run_in_overlay_view_keeps_every_shown_curve_in_the_axes_data()
    {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("under_way");
        QTest::addColumn<bool>("looked_away");  // the run's row unselected and the axes set by hand during it
        QTest::addRow("sweep, at its end") << int(method_index::linear_sweep) << false << false;
        QTest::addRow("sweep, under way") << int(method_index::linear_sweep) << true << false;
        QTest::addRow("time-keyed, under way") << int(method_index::amperometry) << true << false;
        QTest::addRow("sweep, looked away, at its end") << int(method_index::linear_sweep) << false << true;
    }

    void a_run_in_overlay_view_keeps_every_shown_curve_in_the_axes()
    {
        QFETCH(int, method);
        QFETCH(bool, under_way);
        QFETCH(bool, looked_away);
        const method_index m = static_cast<method_index>(method);
        const bool time_keyed = m == method_index::amperometry;
        // Overlay view: an opened experiment of the run's kind stays selected and shown beside it. It covers only
        // the start of the run's range, with currents far beyond the run's.
        w->unselect_all();
        auto *view = child<QToolButton>(*w, "Open_Experiment_5");
        const bool single_view = view->isChecked();
        view->setChecked(false);
        curve &opened = add_listed_experiment(*w, QStringLiteral("opened"),
                                              time_keyed ? QStringLiteral("Amperometric")
                                                         : QStringLiteral("Linear Sweep Voltammetry"));
        QCOMPARE(child<QListWidget>(*w, "listWidget")->selectionMode(), QAbstractItemView::MultiSelection);
        opened.e_min = 0.0f;
        opened.e_max = time_keyed ? 400.0f : 0.4f;
        opened.i_min = -700.0f;
        opened.i_max = 900.0f;
        auto *list = child<QListWidget>(*w, "listWidget");
        const int row = list->count() - 1;
        list->setCurrentRow(row);
        list->item(row)->setSelected(true);
        w->on_listWidget_itemClicked(list->item(row));

        method_pages pages = time_keyed ? long_ampero() : short_pages();
        pages.lsv.ei_mV = -1000;
        pages.lsv.ef_mV = 1000;
        if (under_way || looked_away)
            sim->set_speed_up(1e-6);   // the first sample comes, then the run holds still
        const int n = start(m, pages, true, false);
        QVERIFY(n >= 0);
        QVERIFY(list->item(row)->isSelected());
        const curve &run = w->experiment_records()[n];
        if (under_way || looked_away)
            QVERIFY(wait_for([&] { return run.ch1_raw_curve->data()->size() > 0; }));
        if (looked_away) {
            // Out of the run's view, nothing widens the axes for it until it ends; then Stop ends it.
            list->item(n)->setSelected(false);
            w->on_listWidget_itemClicked(list->item(n));
            w->updateaxis(0.001, -0.001, 0.001, -0.001);
            child<QToolButton>(*w, "Stop")->click();
            sim->set_speed_up(sim_speed_up);
        }
        if (!under_way)
            QVERIFY(wait_for([&] { return !w->run_in_progress(); }));
        const QCPRange x = child<QCustomPlot>(*w, "widget")->xAxis->range();
        const QCPRange y = child<QCustomPlot>(*w, "widget")->yAxis->range();
        if (under_way) {
            // The whole span the run will sweep or take, not only the samples so far.
            const double span = time_keyed ? double(pages.ampero.run_time_ms) : 1.0;
            QVERIFY2(x.lower <= (time_keyed ? 0.0 : -1.0) && x.upper >= span,
                     qPrintable(QString("x %1..%2 during the run").arg(x.lower).arg(x.upper)));
            child<QToolButton>(*w, "Stop")->click();
            sim->set_speed_up(sim_speed_up);
        }
        for (const curve *shown : {&run, static_cast<const curve *>(&opened)}) {
            QVERIFY2(x.lower <= shown->e_min && x.upper >= shown->e_max,
                     qPrintable(QString("x %1..%2, %3 %4..%5").arg(x.lower).arg(x.upper).arg(shown->name)
                                    .arg(shown->e_min).arg(shown->e_max)));
            QVERIFY2(y.lower <= shown->i_min && y.upper >= shown->i_max,
                     qPrintable(QString("y %1..%2, %3 %4..%5").arg(y.lower).arg(y.upper).arg(shown->name)
                                    .arg(shown->i_min).arg(shown->i_max)));
        }
        QVERIFY(!w->run_in_progress());
        w->unselect_all();
        view->setChecked(single_view);
        w->on_Open_Experiment_5_clicked();
    }

    void step_units_and_rate_limits_follow_each_other()
    {
        fill_form(*w, method_index::cyclic, short_pages(), true, false);
        QSpinBox *step = child<QSpinBox>(*w, "Scan_step");
        QLabel *unit = child<QLabel>(*w, "resolution_label");
        QSpinBox *rate = child<QSpinBox>(*w, "Scan_Rate");
        QSpinBox *lsv_rate = child<QSpinBox>(*w, "lsv_rate");

        step->setValue(0);   // stepping below 1 mV gives the instrument's own step
        QCOMPARE(step->value(), step_736_uV);
        QCOMPARE(unit->text(), QStringLiteral("uV"));
        QCOMPARE(rate->maximum(), 500);
        step->stepUp();      // and stepping up from it gives 1 mV again
        QCOMPARE(step->value(), 1);
        QCOMPARE(unit->text(), QStringLiteral("mV"));

        step->setValue(2);
        QCOMPARE(rate->maximum(), 1000);
        rate->setValue(900);
        lsv_rate->setValue(800);
        child<QCheckBox>(*w, "Channel_WE2")->click();   // two electrodes halve the limit and lower both rates
        QCOMPARE(rate->maximum(), 500);
        QCOMPARE(lsv_rate->maximum(), 500);
        QCOMPARE(rate->value(), 500);
        QCOMPARE(lsv_rate->value(), 500);

        // Ei follows Er1 while tied to it.
        child<QCheckBox>(*w, "EiEqEr1")->setChecked(true);
        set_box(*w, "Er1", -321);
        QCOMPARE(child<QSpinBox>(*w, "Ei")->value(), -321);
        QVERIFY(!child<QSpinBox>(*w, "Ei")->isEnabled());
        fill_form(*w, method_index::cyclic, short_pages(), true, false);
    }

    void each_method_brings_back_its_own_filter_choice()
    {
        QComboBox *method = child<QComboBox>(*w, "Method");
        auto action = [&](const char *name) { return w->findChild<QAction *>(QString::fromLatin1(name)); };
        method->setCurrentIndex(int(method_index::cyclic));
        action("action1Hz")->trigger();
        QCOMPARE(w->screen_state().filter_choice[0], uint8_t(3));
        method->setCurrentIndex(int(method_index::linear_sweep));
        QVERIFY(action("actionAutomatic")->isChecked());
        action("actionRaw_Data")->trigger();
        method->setCurrentIndex(int(method_index::cyclic));
        QVERIFY(action("action1Hz")->isChecked());
        QCOMPARE(w->selected_filter_cutoff(), 1.0f);

        // The run takes the checked cut-off and says so in its details.
        const int n = start(method_index::cyclic, short_pages(), true, false);
        QVERIFY(n >= 0);
        QVERIFY(wait_for([&] { return !w->run_in_progress(); }));
        QCOMPARE(w->experiment_records()[n].filter_hz, 1.0f);
        QVERIFY(w->experiment_records()[n].details.contains(QStringLiteral("Filter: 1Hz")));
        method->setCurrentIndex(int(method_index::linear_sweep));
        QVERIFY(action("actionRaw_Data")->isChecked());
        action("actionAutomatic")->trigger();
        method->setCurrentIndex(int(method_index::cyclic));
        action("actionAutomatic")->trigger();
    }

    void a_million_sample_run_keeps_every_sample_in_its_autosave()
    {
        // 1,000,000 samples on WE1: 23 minutes of instrument time. The simulation sends the first sample and then
        // holds still; the rest arrive as the port hands them over in large reads.
        constexpr int samples = 1000000;
        method_pages pages = long_ampero();
        pages.ampero.run_time_ms = 1500000;
        sim->set_speed_up(1e-6);
        w->clear_all();
        const size_t heap_before = heap_bytes_in_use();
        const int n = start(method_index::amperometry, pages, true, false);
        QVERIFY(n >= 0);
        const curve &record = w->experiment_records()[n];
        QVERIFY(wait_for([&] { return record.ch1_raw_curve->data()->size() == 1; }));
        sample_frame_values v;
        v.type = sample_frame_type::time_indexed;
        v.electrode = 1;
        for (int k = 1; k < samples;) {
            for (const int end = std::min(samples, k + 20000); k < end; ++k) {
                // The 16-bit index runs over many times in such a run; 0xFFFF would mark its end.
                v.sample_index = uint16_t(k % 0xFFFF);
                v.current_uA = float(8 * std::sin(k * 1e-4) + (k % 99991 == 0 ? 30 : 0));
                w->screen_state().rx_buffer += encode_sample_frame(v);
            }
            w->serialReceived();
        }
        child<QToolButton>(*w, "Stop")->click();
        sim->set_speed_up(sim_speed_up);
        QVERIFY(!w->run_in_progress());
        const int kept = record.ch1_raw_curve->data()->size();
        QCOMPARE(kept, samples);
        QCOMPARE(record.ch1_curve->data()->size(), kept);   // the final pass shows every sample

        {
            const QFileInfoList copies = QDir(QStringLiteral("Data/Temp")).entryInfoList(QDir::Files, QDir::Time);
            QVERIFY(!copies.isEmpty());
            const experiment_load back = load_experiment_file(copies.first().filePath());
            QVERIFY(back.contents);
            const experiment_data &file = back.contents->record;
            QCOMPARE(file.ch1_raw.size(), kept);
            QCOMPARE(file.ch1.size(), kept);
            QVERIFY(file.ch2.empty() && file.ch2_raw.empty());
            // The file holds six significant digits, read back in single precision.
            const auto as_written = [](double v) { return double(QString::number(v, 'g', 6).toFloat()); };
            for (int i : {0, 1, 2, kept - 3, kept - 2, kept - 1}) {
                const auto raw = record.ch1_raw_curve->data()->at(i);
                const auto shown = record.ch1_curve->data()->at(i);
                QCOMPARE(file.ch1_raw.keys[i], as_written(raw->key));
                QCOMPARE(file.ch1_raw.values[i], as_written(raw->value));
                QCOMPARE(file.ch1.keys[i], as_written(shown->key));
                QCOMPARE(file.ch1.values[i], as_written(shown->value));
            }
        }
        // Cleared, the run gives back what it held: its curves' points and the receive path's copies of them.
        w->clear_all();
        QVERIFY2(heap_bytes_in_use() < heap_before + (8 << 20),
                 qPrintable(QStringLiteral("%1 MB more").arg(double(heap_bytes_in_use() - heap_before) / 1e6)));
    }

    void unplugging_mid_run_ends_the_run_and_keeps_what_came()
    {
        const method_pages pages = long_ampero();
        const int n = start(method_index::amperometry, pages, false, true);
        QVERIFY(n >= 0);
        QVERIFY(wait_for([&] { return w->experiment_records()[n].ch2_raw_curve->data()->size() > 50; }));
        const QByteArray sent_bytes = tap->sent;
        sim->unplug();
        tap->cut();
        QVERIFY2(wait_for([&] { return !w->run_in_progress(); }), "the run outlived its instrument");
        QVERIFY(wait_for([&] { return status(*w) == QLatin1String("Disconnected"); }));
        QVERIFY(!w->screen_state().run_clock->isActive());
        QCOMPARE(start_stop(*w), qMakePair(false, false));

        const parameter_frame_result built =
            build_parameter_frame(method_index::amperometry, pages, settings_of(false, true), details_context{});
        const curve &record = w->experiment_records()[n];
        check_curve(record.ch2_raw_curve, decode_stream(sent_bytes, method_index::amperometry, built).we2, true);
        QCOMPARE(record.ch2_curve->data()->size(), record.ch2_raw_curve->data()->size());
        QCOMPARE(record.ch1_raw_curve->data()->size(), 0);
        QVERIFY(newest_autosave().contains(record.name.toUtf8()));
    }

    void a_hang_up_mid_run_ends_the_run_at_once()
    {
        // The port-list watch is slowed far beyond the test, as when the device node stays (a quick replug): the
        // run must end from the port's own error, not from the node's disappearance.
        disconnect_window();
        MainWindow::set_link_timeouts(connect_timeout_ms, startup_timeout_ms, 24 * 3600 * 1000);
        connect_window();
        MainWindow::set_link_timeouts(connect_timeout_ms, startup_timeout_ms, watch_interval_ms);
        const method_pages pages = long_ampero();
        const int n = start(method_index::amperometry, pages, true, false);
        QVERIFY(n >= 0);
        const curve &record = w->experiment_records()[n];
        QVERIFY(wait_for([&] { return record.ch1_raw_curve->data()->size() > 50; }));
        tap->cut();   // the program's end of the line hangs up
        const QByteArray sent_bytes = tap->sent;
        QVERIFY2(wait_for([&] { return !w->run_in_progress(); }), "the run outlived its line");
        QCOMPARE(status(*w), QStringLiteral("Disconnected"));
        QVERIFY(!w->screen_state().run_clock->isActive());
        QCOMPARE(start_stop(*w), qMakePair(false, false));
        QVERIFY(!w->instrument()->is_connected());   // closed: no stream of empty reads goes on

        const parameter_frame_result built =
            build_parameter_frame(method_index::amperometry, pages, settings_of(true, false), details_context{});
        check_curve(record.ch1_raw_curve, decode_stream(sent_bytes, method_index::amperometry, built).we1, true);
        QCOMPARE(record.ch1_curve->data()->size(), record.ch1_raw_curve->data()->size());
        QVERIFY(newest_autosave().contains(record.name.toUtf8()));
    }

    void a_port_that_will_not_open_is_named_with_its_reason()
    {
        w->serial_select_slot(QStringLiteral("/nonexistent/ttyUSB7"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(QStringLiteral("The port /nonexistent/ttyUSB7 could not be opened: ")),
                 qPrintable(errors.first()));
        QCOMPARE(status(*w), QStringLiteral("Disconnected"));
    }

    void the_settings_file_sets_up_a_new_window()
    {
        disconnect_window();
        // WE2 only, range 4, square wave, overlay on, 10 s of lead time, and 2 Hz: applied after the method, so the
        // file's filter wins over the method's own choice.
        QStringList lines = QStringLiteral("Log Out|-1||0|1|4|2|0|0|1|0|0|0|0|0|10\t0|4").split('|');
        wd->write_file(QStringLiteral("Libraries/Config.txt"), lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        w = std::make_unique<MainWindow>();
        QVERIFY(!child<QCheckBox>(*w, "Channel_WE1")->isChecked());
        QVERIFY(child<QCheckBox>(*w, "Channel_WE2")->isChecked());
        QCOMPARE(child<QComboBox>(*w, "Current_Range")->currentIndex(), 4);
        QCOMPARE(child<QComboBox>(*w, "Method")->currentIndex(), int(method_index::square_wave));
        QCOMPARE(child<QStackedWidget>(*w, "stackedWidget")->currentIndex(), int(method_index::square_wave));
        QVERIFY(child<QToolButton>(*w, "Open_Experiment_5")->isChecked());
        QVERIFY(w->findChild<QAction *>(QStringLiteral("action2Hz"))->isChecked());
        QCOMPARE(child<QLineEdit>(*w, "New_Experiment_Name")->text(),
                 QStringLiteral("New_Experiment_") + QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
        // The default square wave page: 2000 mV in 2 mV steps at 20 Hz is 50 s, plus the 10 s lead time.
        QCOMPARE(w->screen_state().clock.remaining_s, clock_seconds(60));
        QCOMPARE(w->screen_state().extra_time_s, uint8_t(10));

        // A method index the box does not have is ignored, the rest still applies.
        lines[6] = QStringLiteral("9");
        lines[16] = QStringLiteral("12");
        wd->write_file(QStringLiteral("Libraries/Config.txt"), lines.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        w = std::make_unique<MainWindow>();
        QCOMPARE(child<QComboBox>(*w, "Method")->currentIndex(), int(method_index::cyclic));
        QCOMPARE(child<QComboBox>(*w, "Current_Range")->currentIndex(), 4);
        QVERIFY(w->findChild<QAction *>(QStringLiteral("actionAutomatic"))->isChecked());
    }

};

QTEST_MAIN(run_road_test)
#include "run_road_test.moc"
