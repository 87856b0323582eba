// Keeps the run screen painting through a long file operation and, past about a second, shows how far it is.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>

class QProgressDialog;
class QWidget;

// Called between the parts of a save or an opening. Events are let through at most every few tens of
// milliseconds; user input waits until the operation ends (and the progress dialog is modal), so nothing can
// change or remove the record being written or read meanwhile.
class file_progress {
public:
    file_progress(QWidget *parent, const QString &label);
    ~file_progress();
    file_progress(const file_progress &) = delete;
    file_progress &operator=(const file_progress &) = delete;

    void step(double fraction);
    std::function<void(double)> callback() { return [this](double f) { step(f); }; }

    // Longest time between two event passes so far, in ms (the benchmark reports it).
    qint64 longest_gap_ms() const { return longest_gap_ms_; }

private:
    QWidget *parent_;
    QString label_;
    QElapsedTimer started_;
    QElapsedTimer since_events_;
    qint64 longest_gap_ms_ = 0;
    QPointer<QProgressDialog> dialog_;
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
