#pragma once

#include <QString>

// The maker's web site and its forum. A reserved example domain stands in
// until the project has a site of its own.
namespace WebLinks {

inline const QString MakerSite = QStringLiteral("https://quivara.example.org");
// Each program names its forum page in its own way.
inline const QString RunnerForum = MakerSite + QStringLiteral("/forum/");
inline const QString EditorForum = MakerSite + QStringLiteral("/forum");

// Opens the page in the user's browser; does not wait and ignores failure.
void open(const QString &url);

} // namespace WebLinks
