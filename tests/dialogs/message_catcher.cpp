// Message handler that records instead of printing.
#include "message_catcher.h"

namespace {
QStringList caught;

void record(QtMsgType, const QMessageLogContext &, const QString &text) { caught.append(text); }
} // namespace

message_catcher::message_catcher()
{
    caught.clear();
    previous = qInstallMessageHandler(record);
}

message_catcher::~message_catcher() { qInstallMessageHandler(previous); }

QStringList message_catcher::slot_name_warnings() const { return caught.filter(QStringLiteral("connectSlotsByName")); }
