#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Fixture files in tests/data/, and reading and writing files in tests.

inline QString dataPath(const QString &name)
{
    return QFINDTESTDATA("data/" + name);
}

// The file's bytes; empty when it cannot be read.
inline QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(bytes) == bytes.size();
}

// A copy of a fixture that a test may change.
inline QString copyOf(const QTemporaryDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile::remove(path);
    QFile::copy(dataPath(name), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}
