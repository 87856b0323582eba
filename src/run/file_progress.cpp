// Keeps the run screen painting through a long file operation and shows its progress.
#include "run/file_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {
constexpr qint64 events_every_ms = 20;     // well inside the 50 ms a window may go without answering
constexpr qint64 show_after_ms = 1000;     // shorter operations pass without a dialog
constexpr int steps = 1000;
}  // namespace

file_progress::file_progress(QWidget *parent, const QString &label, bool cancellable)
    : parent_(parent), label_(label), cancellable_(cancellable)
{
    started_.start();
    since_events_.start();
}

file_progress::~file_progress() { delete dialog_.data(); }

void file_progress::show_progress(double fraction, bool user_input)
{
    if (!dialog_ && started_.elapsed() >= show_after_ms) {
        dialog_ = new QProgressDialog(label_, cancellable_ ? QStringLiteral("Cancel") : QString(), 0, steps, parent_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->show();
    }
    if (dialog_) {
        dialog_->setValue(int(std::min(1.0, std::max(0.0, fraction)) * steps));
        if (cancellable_ && dialog_->wasCanceled())
            cancel_requested_ = true;
    }
    // Input reaches only the modal dialog, and only while it is there to take a Cancel.
    const bool to_dialog = user_input && cancellable_ && dialog_ && dialog_->isVisible();
    QCoreApplication::processEvents(to_dialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    if (dialog_ && cancellable_ && dialog_->wasCanceled())
        cancel_requested_ = true;
    since_events_.restart();
}

void file_progress::step(double fraction)
{
    if (since_events_.elapsed() < events_every_ms)
        return;
    show_progress(fraction, false);
}

void file_progress::wait_until(const std::function<bool()> &finished, const std::atomic<double> &fraction)
{
    // `finished` waits a few milliseconds: events are let through after each wait, which costs little when
    // there are none.
    while (!finished())
        show_progress(fraction, true);
}
