// Keeps the run screen painting through a long file operation and, past about a second, shows how far it is.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>

class QProgressDialog;
class QWidget;

// Between the parts of a save or an opening, and while one runs on a thread of its own, events are let through
// every few tens of milliseconds at most. User input waits until the operation ends, or goes only to the
// progress dialog, which is application-modal, so nothing can change or remove the record being written or read
// meanwhile.
class file_progress {
public:
    // `cancellable`: the dialog offers Cancel, which work run by run_aside sees as its report answering false.
    file_progress(QWidget *parent, const QString &label, bool cancellable = false);
    ~file_progress();
    file_progress(const file_progress &) = delete;
    file_progress &operator=(const file_progress &) = delete;

    // For work done in parts on the window's own thread: called between the parts.
    void step(double fraction);

    // Runs `work` on a thread of its own and returns its result once it ends; the window keeps painting
    // meanwhile. `work` gets a report function to call with the fraction done, which answers false once the user
    // has cancelled. `work` must touch no widget.
    template <class Work>
    auto run_aside(Work work) -> decltype(work(std::function<bool(double)>()))
    {
        std::atomic<double> fraction{0};
        const std::function<bool(double)> report = [this, &fraction](double f) {
            fraction = f;
            return !cancel_requested_.load();
        };
        auto done = std::async(std::launch::async, [&] { return work(report); });
        wait_until([&] { return done.wait_for(std::chrono::milliseconds(5)) == std::future_status::ready; },
                   fraction);
        return done.get();
    }

    // The user asked to cancel.
    bool cancelled() const { return cancel_requested_; }

private:
    // Lets events through until `finished` (which may wait a little itself) says the work has ended.
    void wait_until(const std::function<bool()> &finished, const std::atomic<double> &fraction);
    void show_progress(double fraction, bool user_input);

    QWidget *parent_;
    QString label_;
    bool cancellable_;
    QElapsedTimer started_;
    QElapsedTimer since_events_;
    QPointer<QProgressDialog> dialog_;
    std::atomic<bool> cancel_requested_{false};
};

// Marks a file operation as running for as long as it lives.
class file_busy {
public:
    explicit file_busy(bool &flag) : flag_(flag) { flag_ = true; }
    ~file_busy() { flag_ = false; }
    file_busy(const file_busy &) = delete;
    file_busy &operator=(const file_busy &) = delete;

private:
    bool &flag_;
};
