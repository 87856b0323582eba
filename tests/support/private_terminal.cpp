// Names for pseudo-terminals that only this process gives out.
#include "support/private_terminal.h"

#include <QFile>
#include <QTemporaryDir>
#include <atomic>

namespace {
// One folder per process, removed when the process ends.
const QTemporaryDir &link_folder()
{
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/rz410-terminals-XXXXXX"));
    return folder;
}
std::atomic<int> links_made{0};
}  // namespace

private_terminal::private_terminal(const QString &device)
{
    if (!link_folder().isValid())
        return;
    const QString name = link_folder().filePath(QStringLiteral("line-%1").arg(++links_made));
    linked = QFile::link(device, name);
    if (linked)
        link = name;
}

void private_terminal::remove()
{
    if (linked)
        QFile::remove(link);
    linked = false;
}

void private_terminal::point_to(const QString &device)
{
    remove();
    linked = !link.isEmpty() && QFile::link(device, link);
}
