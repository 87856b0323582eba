// Records the Qt messages logged while it lives, so a form test can fail on a by-name slot that has no
// matching signal (Qt only logs those), and a test can tell what reaches the terminal. Messages are still passed on to the previous handler.
#pragma once

#include <QStringList>
#include <QtGlobal>

class slot_warning_guard {
public:
    slot_warning_guard();
    ~slot_warning_guard();
    slot_warning_guard(const slot_warning_guard &) = delete;
    slot_warning_guard &operator=(const slot_warning_guard &) = delete;

    // Messages so far that mention connectSlotsByName.
    QStringList slot_name_warnings() const;
    // Warnings and worse so far: what reaches the terminal when no trace is asked for.
    QStringList warnings() const;

private:
    QtMessageHandler previous;
};
