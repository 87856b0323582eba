// Rules for a new user name.
#include "shell/user_names.h"

#include <QCoreApplication>

namespace {

// Texts that the screens send in the same channel as user names, plus the user-box entry that logs out.
const char *const reserved_names[] = {"Log Out", "0xffrecentuser", "itiscoming_protocol", "go_to_protocols_configure"};

} // namespace

QString kept_user_name(const QString &typed) { return typed.trimmed(); }

user_name_problem check_new_user_name(const QString &typed, const QStringList &existing)
{
    if (typed.isEmpty())
        return user_name_problem::empty;
    // Before the blanks are taken away: a tab or line break at either end is refused too, not dropped unseen.
    for (const QChar c : typed) {
        if (c.category() == QChar::Other_Control)
            return user_name_problem::control_character;
    }
    const QString name = kept_user_name(typed);
    // Its folder would look nameless in every user box.
    if (name.isEmpty())
        return user_name_problem::blank;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return user_name_problem::path_separator;
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return user_name_problem::dot_name;
    for (const char *reserved : reserved_names) {
        if (name.compare(QLatin1String(reserved), Qt::CaseInsensitive) == 0)
            return user_name_problem::reserved;
    }
    for (const QString &other : existing) {
        if (name.compare(other, Qt::CaseInsensitive) == 0)
            return user_name_problem::duplicate;
    }
    return user_name_problem::none;
}

QString user_name_problem_text(user_name_problem problem, const QString &typed)
{
    const QString name = kept_user_name(typed);
    switch (problem) {
    case user_name_problem::none:
        return QString();
    case user_name_problem::empty:
        return QStringLiteral("Please enter a user name.");
    case user_name_problem::blank:
        return QStringLiteral("A user name cannot consist of blanks only.");
    case user_name_problem::path_separator:
        return QStringLiteral("A user name cannot contain \"/\" or \"\\\".");
    case user_name_problem::dot_name:
        return QStringLiteral("\"%1\" cannot be used as a user name.").arg(name);
    case user_name_problem::control_character:
        return QStringLiteral("A user name cannot contain tabs, line breaks or other control characters.");
    case user_name_problem::reserved:
        return QStringLiteral("\"%1\" is reserved and cannot be used as a user name.").arg(name);
    case user_name_problem::duplicate:
        return QStringLiteral("A user named \"%1\" already exists.").arg(name);
    }
    return QString();
}
