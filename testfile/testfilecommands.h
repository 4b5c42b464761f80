#pragma once

#include "editordocument.h"
#include "outcome.h"
#include "testlayout.h"

#include <QDateTime>
#include <QString>

// A whole test as the editor holds it: the settings and the questions.
struct EditorTest
{
    TestSettings settings;
    RunOptions options;
    EditorDocument document;

    friend bool operator==(const EditorTest &a, const EditorTest &b)
    {
        return a.settings == b.settings && a.options == b.options && a.document == b.document;
    }
    friend bool operator!=(const EditorTest &a, const EditorTest &b) { return !(a == b); }
};

// Moving a test between a file and the editor. Errors come back as the
// text to show; nothing here shows anything.
namespace TestFileCommands {

// When not ok, message is the missing-file message; when ok, what to say
// before the test is shown, if anything.
struct Loaded : Outcome
{
    EditorTest test;
};

// Reads the settings and the questions that exist, renumbered without gaps.
Loaded loadTestFile(const QString &path);
// The same from a file already read.
EditorTest readTest(const IniDocument &doc);

// When not ok, message is "Unable to write to <path>".
using Saved = Outcome;

// Writes the settings and every question as one replacement of the file.
// Entries beyond the new LastQ and LastA stay in the file; on failure the
// file is left exactly as it was.
Saved saveTestFile(const QString &path, const EditorTest &test);

// What saveTestFile writes into a file that does not exist yet.
QByteArray newTestFileBytes(const EditorTest &test);
// Writes the test as a new file, in one replacement: nothing that path held
// before is kept, and on failure the file is left exactly as it was.
Saved replaceTestFile(const QString &path, const EditorTest &test);

// Stamps the file with its creation time (the New command), creating it
// when missing; what else the file holds stays.
Saved createTestFile(const QString &path, const QDateTime &now);

} // namespace TestFileCommands
