// Keeps the run screen painting through a long file operation and shows its progress.
#include "run/file_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {
constexpr qint64 events_every_ms = 40;     // well inside the 100 ms a window may go without painting
constexpr qint64 show_after_ms = 1000;     // shorter operations pass without a dialog
constexpr int steps = 1000;
}  // namespace

file_progress::file_progress(QWidget *parent, const QString &label) : parent_(parent), label_(label)
{
    started_.start();
    since_events_.start();
}

file_progress::~file_progress()
{
    longest_gap_ms_ = std::max(longest_gap_ms_, since_events_.elapsed());
    delete dialog_.data();
}

void file_progress::step(double fraction)
{
    const qint64 gap = since_events_.elapsed();
    if (gap < events_every_ms)
        return;
    longest_gap_ms_ = std::max(longest_gap_ms_, gap);
    if (!dialog_ && started_.elapsed() >= show_after_ms) {
        dialog_ = new QProgressDialog(label_, QString(), 0, steps, parent_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->show();
    }
    if (dialog_)
        dialog_->setValue(int(std::min(1.0, std::max(0.0, fraction)) * steps));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    since_events_.restart();
}
