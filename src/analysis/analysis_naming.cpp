// Naming rules of the analysis file commands.
#include "analysis/analysis_naming.h"

#include <QFileInfo>

QString analysis_folder(const QString &path)
{
    const QFileInfo info(path);
    if (info.fileName() == path)
        return QString(); // no folder part at all
    QString folder = info.path();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString analysis_save_proposal(const QString &folder, const QString &list_name)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + list_name;
    return folder + QLatin1Char('/') + list_name;
}

QString user_analysis_path(const QString &user, const QString &name)
{
    return QStringLiteral("Data/User/") + user + QStringLiteral("/Analysis/") + name + QStringLiteral(".qva");
}

QString user_analysis_protocol_path(const QString &user, const QString &protocol_name)
{
    return QStringLiteral("Data/User/") + user + QStringLiteral("/Protocols/") + protocol_name +
           QStringLiteral(".qvr");
}

bool is_droppable_analysis(const QString &path)
{
    return path.endsWith(QLatin1String(".qva"), Qt::CaseSensitive);
}
