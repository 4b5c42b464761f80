#include "profilefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

ProfileFile::ProfileFile(const QString &path)
    : m_path(path)
{
}

IniDocument ProfileFile::read() const
{
    QFile file(m_path);
    if (!QFileInfo(m_path).isFile() || !file.open(QIODevice::ReadOnly))
        return IniDocument();
    return IniDocument::parse(file.readAll());
}

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    return read().readString(section, key, defaultValue);
}

int ProfileFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return read().readInteger(section, key, defaultValue);
}

bool ProfileFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return read().readBool(section, key, defaultValue);
}

QStringList ProfileFile::readSection(const QString &section) const
{
    return read().readSection(section);
}

bool ProfileFile::sectionExists(const QString &section) const
{
    return read().sectionExists(section);
}

bool ProfileFile::valueExists(const QString &section, const QString &key) const
{
    return read().valueExists(section, key);
}

bool ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    return edit([&](IniDocument &doc) { doc.writeString(section, key, value); });
}

bool ProfileFile::writeInteger(const QString &section, const QString &key, int value)
{
    return edit([&](IniDocument &doc) { doc.writeInteger(section, key, value); });
}

bool ProfileFile::writeBool(const QString &section, const QString &key, bool value)
{
    return edit([&](IniDocument &doc) { doc.writeBool(section, key, value); });
}

bool ProfileFile::writeDateTime(const QString &section, const QString &key, const QDateTime &value)
{
    return edit([&](IniDocument &doc) { doc.writeDateTime(section, key, value); });
}

bool ProfileFile::edit(const std::function<void(IniDocument &)> &edit)
{
    m_error.clear();
    const QFileInfo info(m_path);
    IniDocument doc;
    if (info.exists()) {
        // Writing over what could not be read would lose it.
        QFile file(m_path);
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
            m_error = QStringLiteral("Unable to write to %1").arg(m_path);
            return false;
        }
        doc = IniDocument::parse(file.readAll());
    }
    edit(doc);

    // QSaveFile writes a temporary file and renames it over the old one, so a
    // crash or a full disk never leaves half a test; where the folder allows
    // no new files it writes in place instead.
    QSaveFile out(m_path);
    out.setDirectWriteFallback(true);
    const QByteArray bytes = doc.toBytes();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        m_error = QStringLiteral("Unable to write to %1").arg(m_path);
        return false;
    }
    return true;
}
