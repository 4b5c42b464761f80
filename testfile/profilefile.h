#pragma once

#include "filestore.h"
#include "inidocument.h"

#include <QString>

#include <functional>

// Access to one test file by section and key.
//
// Holds only the path: nothing is cached, so every call sees the file as it
// is on disk at that moment. A read never fails (a missing or unreadable
// file reads as an empty one). A write replaces the whole file at once, so a
// failed write leaves it exactly as it was.
class ProfileFile
{
public:
    explicit ProfileFile(const QString &path);
    // Nothing is cached, so there is nothing to flush on release.
    ~ProfileFile() = default;

    QString path() const { return m_path; }

    // The file's contents; empty when it is missing or cannot be read.
    IniDocument read() const;
    // The same, with what kept the file from being read.
    struct Loaded
    {
        IniDocument document;
        FileStore::Status status;
        QByteArray bytes; // as read
    };
    Loaded load() const;

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    QStringList readSection(const QString &section) const;
    bool sectionExists(const QString &section) const;
    bool valueExists(const QString &section, const QString &key) const;

    // Each write returns false and sets errorString() to "Unable to write to
    // <path>" when the file cannot be replaced; the file then stays as it was.
    [[nodiscard]] bool writeString(const QString &section, const QString &key,
                                   const QString &value);
    [[nodiscard]] bool writeInteger(const QString &section, const QString &key, int value);
    [[nodiscard]] bool writeBool(const QString &section, const QString &key, bool value);
    [[nodiscard]] bool writeDateTime(const QString &section, const QString &key,
                                     const QDateTime &value);

    // Reads the file once, lets edit change it in memory and writes it back
    // as one replacement: many entries cost one read and one write. A file
    // that exists but cannot be read is never overwritten.
    [[nodiscard]] bool edit(const std::function<void(IniDocument &)> &edit);

    QString errorString() const { return m_error; }

private:
    QString m_path;
    QString m_error;
};
