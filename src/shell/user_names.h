// Rules for a new user name: the name becomes a folder under "Data/User" and travels between screens
// as a plain text message, so it must be a single, safe path component and not one of the message markers.
#pragma once

#include <QString>
#include <QStringList>

enum class user_name_problem {
    none,
    empty,
    path_separator,  // "/" or "\"
    dot_name,        // "." or ".."
    control_character,
    reserved,        // "Log Out" or a marker text used between screens
    duplicate,       // equal, ignoring case, to a listed user
};

// Checks `name` as typed (not trimmed) against the rules and the names already listed.
user_name_problem check_new_user_name(const QString &name, const QStringList &existing);

// A sentence for the message box that refuses the name.
QString user_name_problem_text(user_name_problem problem, const QString &name);
