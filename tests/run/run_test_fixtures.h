// What the run screen's window tests share: link timings short enough for a test, the command bursts the
// simulated instrument sees, waiting for bytes to arrive, and finding widgets and top-level windows.
#pragma once

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTest>
#include <QWidget>
#include <cstdint>

#include "instrument/commands.h"
#include "plot/qcp_compat.h"
#include "run/mainwindow.h"

namespace run_fixtures {

// Passed to MainWindow::set_link_timeouts. The simulated instrument answers from the program's own event loop, so a
// loaded machine delays its answer as much as the program: one that answers is never waited out. A port that stays
// silent is waited for in full; a search that meets one uses silent_port_wait_ms.
constexpr int connect_timeout_ms = 60000;
constexpr int startup_timeout_ms = 60000;
constexpr int silent_port_wait_ms = 250;
constexpr int watch_interval_ms = 50;

// A command as the instrument receives it.
inline QByteArray burst(uint8_t command) { return QByteArray(command_repeats, char(command)); }

// Lets bytes written by either side arrive before a test looks at the logs.
inline void settle(int ms = 80) { QTest::qWait(ms); }

// A named child that must exist: a missing one is a broken form, not a test result.
template <typename T>
T *child(const QObject &parent, const char *name)
{
    T *found = parent.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

template <typename T>
QList<T *> visible_windows()
{
    QList<T *> found;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<T *>(top); window && window->isVisible())
            found << window;
    }
    return found;
}

// The one visible window of this kind, or null when there is none or more than one.
template <typename T>
T *visible_window()
{
    const QList<T *> found = visible_windows<T>();
    return found.size() == 1 ? found.first() : nullptr;
}

// Adds a listed experiment of `method` named `name` and returns its record. Its points are made from the
// record's number (shown n * 100 + i, raw n * 1000 + i) so that a moved record is recognisable.
inline curve &add_listed_experiment(MainWindow &w, const QString &name, const QString &method = "Cyclic Voltammetry",
                                    int points = 4)
{
    const int n = w.reserve_next_record();
    if (n < 0)
        qFatal("no free record for %s", qPrintable(name));
    curve &r = w.experiment_records()[n];
    r.method = method;
    r.details = QStringList{method, "Name: " + name};
    r.e_min = -1.0f;
    r.e_max = 1.0f;
    r.i_min = -2.0f;
    r.i_max = 2.0f;
    QVector<double> keys, values, raw;
    for (int i = 0; i < points; ++i) {
        keys << 0.1 * i;
        values << n * 100.0 + i;
        raw << n * 1000.0 + i;
    }
    qcp::set_points(r.ch1_curve, keys, values);
    qcp::set_points(r.ch2_curve, keys, values);
    qcp::set_points(r.ch1_raw_curve, keys, raw);
    qcp::set_points(r.ch2_raw_curve, keys, raw);
    w.add_opened_experiment(name);
    return r;
}

}  // namespace run_fixtures
