// Collects the Qt messages logged while it lives, so a test can fail on a by-name slot without a signal.
#pragma once

#include <QStringList>
#include <QtGlobal>

class message_catcher {
public:
    message_catcher();
    ~message_catcher();
    message_catcher(const message_catcher &) = delete;
    message_catcher &operator=(const message_catcher &) = delete;

    // Messages that mention connectSlotsByName.
    QStringList slot_name_warnings() const;

private:
    QtMessageHandler previous;
};
