// Run-screen state that outlives one window: a log-out and new log-in build a new MainWindow that keeps it.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "plot/curve.h"
#include "run/run_clock.h"

class QActionGroup;
class QCPCurve;
class QSerialPort;
class QTimer;
class instrument_link;
class qv_analysis_window;

struct run_screen_state {
    // Instrument link of the newest window: the device table, the identify exchange and the connection
    // live there. The next window's constructor retires it; the two ports are the link's own.
    QPointer<instrument_link> link;
    QSerialPort *main_port = nullptr;   // commands, parameter frames, samples
    QSerialPort *probe_port = nullptr;  // identify exchange
    QByteArray rx_buffer;        // run bytes not yet cut into frames

    // Run control
    QTimer *run_clock = nullptr;  // one-second run clock
    uint8_t running_method = 0;   // Method index of the run under way
    run_clock_counters clock;     // remaining and elapsed seconds, 32 bits so the longest runs do not wrap
    uint8_t extra_time_s = 0;     // extra lead time, settings line 15 or a loaded protocol
    QCPCurve *live_curve1 = nullptr;  // decoded samples of the run under way, electrode 1
    QCPCurve *live_curve2 = nullptr;  // electrode 2

    // Filtering: mode per method (0 automatic, 1 raw, 2 0.5 Hz, 3 1 Hz, 4 2 Hz, 5 5 Hz, 6 10 Hz)
    std::array<uint8_t, 7> filter_choice{};
    QActionGroup *filter_actions = nullptr;
    float filter_cutoff = -1.0f;  // -1 automatic, 0 raw data, else Hz

    // Files and documents
    QString experiments_dir;          // "Data/User/<user>/Experiments/"
    QString pending_open_path;  // experiment file the open operation takes next
    uint8_t save_mode = 0;      // which name the save dialog proposes

    // Windows
    uint8_t close_confirmed = 0;  // reset by every new window
    QPointer<qv_analysis_window> analysis_window;  // the window deletes itself when it hands back
};

// The one instance. MainWindow keeps a reference to it; code outside the window should be handed that reference.
extern run_screen_state run_state;

// The two user lines of the settings file after a user change on the run screen: "Log Out"/"-1" or name/"1".
struct user_lines {
    QString name;
    QString flag;
};
user_lines user_lines_for(const QString &user_box_text);

// Experiment folder proposed for a user.
QString experiments_dir_for(const QString &user);

// Working cut-off for a filter mode (index into filter_actions): -1 automatic, 0 raw data, else Hz.
// No checked action (-1) or an unknown mode gives 0.5 Hz.
float cutoff_for_filter_mode(int mode);

// The run screen's user box: the users of the log-in page's listing, then "Log Out".
// No user folder root gives no items at all.
QStringList user_box_items(const QString &user_root);
