#pragma once

#include "formats.h"
#include "testfilecommands.h"

#include <QDateTime>
#include <QString>

// The test open in the editor and the rules of the editor's commands: what
// New, Open, Save, Save as and closing ask and write, the question selected
// after a deletion, the text a question left empty gets. The window asks the
// user, shows what the session holds and passes the author's edits on.
class EditorSession
{
public:
    // The answer to "Сохранить изменения в тесте?".
    enum class Answer { Save, Discard, Cancel };

    QString fileName() const { return m_fileName; }
    const EditorDocument &document() const { return m_test.document; }
    EditorDocument &document() { return m_test.document; }
    const TestSettings &settings() const { return m_test.settings; }
    void setSettings(const TestSettings &settings) { m_test.settings = settings; }
    const RunOptions &options() const { return m_test.options; }
    void setOptions(const RunOptions &options) { m_test.options = options; }
    const EditorTest &test() const { return m_test; }

    // True when a test is held that has no file yet: an imported one, until saved.
    bool isUntitled() const { return m_held && m_fileName.isEmpty(); }
    // True when a test is held and differs from what was last loaded or
    // saved; an untitled test always does.
    bool isModified() const { return m_held && (m_fileName.isEmpty() || m_test != m_saved); }
    // New, Open and closing ask "Сохранить изменения в тесте?" first exactly then.
    bool asksBeforeLeaving() const { return isModified(); }
    // What the answer does: Save writes the test first (to its file, or to
    // saveAs when it has none; none given stops the command) and goes on (ok)
    // only when that worked, with the failed save's message otherwise;
    // Discard goes on; Cancel stops the command.
    Outcome leave(Answer answer, const QString &saveAs = QString());

    // Opens the test at path. On success it becomes the test held, as last
    // loaded; the result's message, if any, is shown first either way.
    TestFileCommands::Loaded load(const QString &path);
    // Writes the test held to path (Save: the file name; Save as: another).
    // An untitled test takes path as its file name once written.
    TestFileCommands::Saved save(const QString &path);

    // What an import or an export did: the message to show when it failed,
    // and what the format could not hold or the file held that was skipped.
    struct Transfer
    {
        bool ok = false;
        QString message;
        Report report;
    };
    // Reads another program's file at path. On success its test becomes the
    // one held, untitled and changed; the report is there either way.
    Transfer importFrom(Interchange::Format format, const QString &path);
    // Writes the test held to path in format; nothing is written when the
    // format can hold none of its questions.
    Transfer exportTo(Interchange::Format format, const QString &path) const;
    // New: stamps the file at path with its creation time; the window then loads it.
    TestFileCommands::Saved create(const QString &path, const QDateTime &now) const;

    // Deletes question index and tells the one to select next: the one
    // before it, the first when the first was deleted, -1 when none is left.
    int deleteQuestion(int index);
    // A question whose text was emptied gets the placeholder text when the
    // author leaves it; true when it did.
    bool fillEmptyText();

private:
    bool m_held = false; // a test is open, loaded or imported
    QString m_fileName;
    EditorTest m_test;
    EditorTest m_saved;
};
