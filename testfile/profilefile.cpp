#include "profilefile.h"

ProfileFile::ProfileFile(const QString &path)
    : m_path(path)
{
}

IniDocument ProfileFile::read() const
{
    return load().document;
}

ProfileFile::Loaded ProfileFile::load() const
{
    const FileStore::Contents contents = FileStore::read(m_path);
    return Loaded{IniDocument::parse(contents.bytes), contents.status, contents.bytes};
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
    const FileStore::Contents contents = FileStore::read(m_path);
    // Writing over what could not be read would lose it.
    if (contents.status != FileStore::Status::Ok && contents.status != FileStore::Status::Missing) {
        m_error = FileStore::writeErrorMessage(m_path);
        return false;
    }
    IniDocument doc = IniDocument::parse(contents.bytes);
    edit(doc);
    if (!FileStore::write(m_path, doc.toBytes())) {
        m_error = FileStore::writeErrorMessage(m_path);
        return false;
    }
    return true;
}
