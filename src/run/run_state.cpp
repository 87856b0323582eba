// The program-wide run-screen state and the small rules of a user change.
#include "run/run_state.h"
#include "shell/user_folders.h"

#include <QDir>

run_screen_state run_state;

user_lines user_lines_for(const QString &user_box_text)
{
    if (user_box_text == QLatin1String("Log Out"))
        return {QStringLiteral("Log Out"), QStringLiteral("-1")};
    return {user_box_text, QStringLiteral("1")};
}

QString experiments_dir_for(const QString &user)
{
    return QStringLiteral("Data/User/") + user + QStringLiteral("/Experiments/");
}

float cutoff_for_filter_mode(int mode)
{
    switch (mode) {
    case 0: return -1.0f;
    case 1: return 0.0f;
    case 3: return 1.0f;
    case 4: return 2.0f;
    case 5: return 5.0f;
    case 6: return 10.0f;
    default: return 0.5f;
    }
}

QStringList user_box_items(const QString &user_root)
{
    if (!QDir(user_root).exists())
        return {};
    QStringList items = user_folders::list_users(user_root);
    items << QStringLiteral("Log Out");
    return items;
}
