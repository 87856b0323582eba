// Rules for a new user name: the name becomes a folder under "Data/User" and travels between screens
// as a plain text message, so it must be a single, safe path component and not one of the message markers.
#pragma once

#include <QString>
#include <QStringList>

enum class user_name_problem {
    none,
    empty,
    blank,           // blanks only
    path_separator,  // "/" or "\"
    dot_name,        // "." or ".."
    control_character,
    reserved,        // "Log Out" or a marker text used between screens
    duplicate,       // equal, ignoring case, to a listed user
};

// The name kept for what the user typed: blanks around it are taken away, so that "Ann " is Ann. Control
// characters (tabs, line breaks) are refused wherever they stand, not taken away.
QString kept_user_name(const QString &typed);

// Checks the name kept for `typed` against the rules and the names already listed.
user_name_problem check_new_user_name(const QString &typed, const QStringList &existing);

// A sentence for the message box that refuses the name typed.
QString user_name_problem_text(user_name_problem problem, const QString &typed);
