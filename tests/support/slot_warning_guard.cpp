// A message handler that records, then hands the message on.
#include "support/slot_warning_guard.h"

namespace {
QStringList caught;
QStringList caught_warnings;
QtMessageHandler passed_on = nullptr;

void record(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    caught.append(text);
    if (type != QtDebugMsg && type != QtInfoMsg)
        caught_warnings.append(text);
    if (passed_on)
        passed_on(type, context, text);
}
} // namespace

slot_warning_guard::slot_warning_guard()
{
    caught.clear();
    caught_warnings.clear();
    previous = qInstallMessageHandler(record);
    passed_on = previous;
}

slot_warning_guard::~slot_warning_guard()
{
    qInstallMessageHandler(previous);
    passed_on = nullptr;
}

QStringList slot_warning_guard::slot_name_warnings() const
{
    return caught.filter(QStringLiteral("connectSlotsByName"));
}

QStringList slot_warning_guard::warnings() const
{
    return caught_warnings;
}
