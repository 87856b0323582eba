// End to end: a cyclic run on the simulated instrument, handed over from the run screen to the analysis screen
// and analysed with "Peaks", finds its peaks where the instrument's model puts them.
#include <QtTest>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QSpinBox>
#include <QToolButton>
#include <memory>

#include "analysis/qv_analysis_window.h"
#include "instrument/method_parameters.h"
#include "run/mainwindow.h"
#include "run/run_test_fixtures.h"
#include "support/listed_ports.h"
#include "support/sim_instrument.h"
#include "support/temp_workdir.h"

using run_fixtures::child;

namespace {

// Potential (mV) of the model's largest current on a sweep in `direction` (+1 up, -1 down), to 0.1 mV.
double model_peak_mV(int direction, double rate_mV_s)
{
    double best_e = 0, best_i = 0;
    for (double e = -0.3; e <= 0.3; e += 0.0001) {
        const double i = direction * sim_instrument::redox_current_uA(e, direction, rate_mV_s, 1.0);
        if (i > best_i) {
            best_i = i;
            best_e = e;
        }
    }
    return best_e * 1000;
}

}  // namespace

class analysis_road_test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        MainWindow::set_link_timeouts(run_fixtures::connect_timeout_ms, run_fixtures::startup_timeout_ms,
                                      run_fixtures::watch_interval_ms);
    }

    void a_cyclic_run_analysed_with_peaks()
    {
        temp_workdir wd;
        sim_instrument sim(5);
        QVERIFY(sim.is_plugged());
        sim.set_speed_up(200);
        list_ports({&sim});
        MainWindow w;
        w.show();
        QTRY_COMPARE(child<QLabel>(w, "connected_label_3")->text(), QStringLiteral("Ready"));

        // One cycle from -300 mV up to 300 mV and back, 1 mV steps at 100 mV/s, on electrode 1.
        child<QComboBox>(w, "Method")->setCurrentIndex(int(method_index::cyclic));
        child<QCheckBox>(w, "Channel_WE1")->setChecked(true);
        child<QCheckBox>(w, "Channel_WE2")->setChecked(false);
        child<QCheckBox>(w, "EiEqEr1")->setChecked(true);
        for (const auto &[name, value] : {std::pair<const char *, int>{"Scan_step", 1}, {"Er1", -300}, {"Er2", 300},
                                          {"Ei", -300}, {"Scan_Rate", 100}, {"Repeat_No", 1}})
            child<QSpinBox>(w, name)->setValue(value);
        child<QToolButton>(w, "Start")->click();
        QVERIFY(w.run_in_progress());
        QTRY_VERIFY_WITH_TIMEOUT(!w.run_in_progress(), 60000);
        QCOMPARE(int(sim.samples_sent()), 1200);

        child<QToolButton>(w, "To_Analysis_Screen_Button")->click();
        QPointer<qv_analysis_window> screen = w.analysis_screen();
        QVERIFY(screen);
        auto *list = child<QListWidget>(*screen, "recent_analyses");
        QCOMPARE(list->count(), 1);
        QVERIFY(list->item(0)->text().endsWith("_W1C1"));
        const analysis_result &res = screen->analyses().result(0);
        const double epa = model_peak_mV(1, 100), epc = model_peak_mV(-1, 100);
        qInfo("model peaks %.1f mV and %.1f mV; analysed Epa %.2f mV, Epc %.2f mV, Ipa %.3f uA, Ipc %.3f uA", epa,
              epc, double(res.Epa), double(res.Epc), double(res.Ipa), double(res.Ipc));
        QVERIFY(epa > 0 && epc < 0);
        QVERIFY2(qAbs(res.Epa - epa) <= 5, qPrintable(QString::number(res.Epa)));
        QVERIFY2(qAbs(res.Epc - epc) <= 5, qPrintable(QString::number(res.Epc)));
        // Both peaks stand out from their tangents, the anodic above and the cathodic below.
        QVERIFY(res.Ipa > 0 && res.Ipc < 0);
        QCOMPARE(child<QLabel>(*screen, "epa")->text(), QString::number(res.Epa, 'g', 6));

        screen->close();
        QVERIFY(w.isVisible());
        qunsetenv("RZ410_EXTRA_PORTS");
    }
};

QTEST_MAIN(analysis_road_test)
#include "analysis_road_test.moc"
