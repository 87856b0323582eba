// A throw-away working folder for tests: the program reads everything relative to the working directory.
#pragma once
#include <QDir>
#include <QString>
#include <QTemporaryDir>

class temp_workdir {
public:
    // Makes a fresh folder the working directory; `with_libraries` also creates "Libraries".
    explicit temp_workdir(bool with_libraries = true);
    ~temp_workdir();
    QString path() const { return dir.path(); }
    // Writes `text` to a file below the folder, creating its parent folders.
    void write_file(const QString &relative, const QByteArray &text) const;
    QByteArray read_file(const QString &relative) const;
    bool exists(const QString &relative) const;

private:
    QTemporaryDir dir;
    QString previous;
};
