// A throw-away working folder for tests.
#include "temp_workdir.h"

#include <QFile>
#include <QFileInfo>

temp_workdir::temp_workdir(bool with_libraries) : previous(QDir::currentPath())
{
    QDir::setCurrent(dir.path());
    if (with_libraries)
        QDir(dir.path()).mkpath("Libraries");
}

temp_workdir::~temp_workdir() { QDir::setCurrent(previous); }

void temp_workdir::write_file(const QString &relative, const QByteArray &text) const
{
    const QString full = dir.filePath(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text);
}

QByteArray temp_workdir::read_file(const QString &relative) const
{
    QFile f(dir.filePath(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool temp_workdir::exists(const QString &relative) const { return QFileInfo::exists(dir.filePath(relative)); }
