#include "testfilecommands.h"

#include "profilefile.h"

namespace TestFileCommands {

Loaded loadTestFile(const QString &path)
{
    Loaded result;
    const ProfileFile::Loaded loaded = ProfileFile(path).load();
    if (!FileStore::foundFile(loaded.status)) {
        result.message = FileStore::missingFileMessage(path);
        return result;
    }
    result.ok = true;
    // Loaded as an unreadable file is, empty, after the message.
    if (loaded.status == FileStore::Status::TooLarge)
        result.message = FileStore::tooLargeMessage(path);
    result.test = readTest(loaded.document);
    return result;
}

EditorTest readTest(const IniDocument &doc)
{
    EditorTest result;
    result.settings = TestSettings::read(doc);
    result.options = RunOptions::read(doc);
    EditorDocument &questions = result.document;
    const QList<int> numbers = TestLayout::questionNumbers(doc, TestLayout::lastQuestion(doc));
    questions.reserve(int(numbers.size()));
    for (const int n : numbers) {
        const TestLayout::Question question
                = TestLayout::readQuestion(doc, TestLayout::questionSection(n));
        // Only options whose keys the section listing reaches are loaded.
        QStringList answers;
        answers.reserve(question.options.size());
        for (const TestLayout::Option &option : question.options) {
            if (option.listed)
                answers.append(option.text);
        }
        questions.addQuestion(question.text.isNull()
                                      ? TestLayout::NoQuestionText
                                      : TestLayout::questionTextFromFile(question.text),
                              answers);
        questions.setKeepsOptionOrder(questions.questionCount() - 1, !question.shuffle);
    }
    questions.setCurrentQuestion(-1);
    return result;
}

namespace {

void writeTest(IniDocument &doc, const EditorTest &test)
{
    test.settings.write(doc);
    const EditorDocument &questions = test.document;
    doc.writeInteger(TestLayout::SettingsSection, TestLayout::LastQuestionKey,
                     questions.questionCount() - 1);
    test.options.write(doc);
    for (int n = 0; n < questions.questionCount(); ++n) {
        const QString section = TestLayout::questionSection(n);
        const QStringList answers = questions.answers(n);
        doc.writeString(section, TestLayout::QuestionTextKey,
                        TestLayout::questionTextToFile(questions.questionText(n)));
        doc.writeInteger(section, TestLayout::LastAnswerKey, int(answers.size()) - 1);
        for (int k = 0; k < answers.size(); ++k)
            doc.writeString(section, TestLayout::answerKey(k), answers[k]);
        // Written only where it is off or already in the file, as the
        // test's own run options are.
        const bool keep = questions.keepsOptionOrder(n);
        if (keep || doc.valueExists(section, TestLayout::ShuffleKey))
            doc.writeBool(section, TestLayout::ShuffleKey, !keep);
    }
}

} // namespace

Saved saveTestFile(const QString &path, const EditorTest &test)
{
    ProfileFile file(path);
    const bool ok = file.edit([&](IniDocument &doc) { writeTest(doc, test); });
    return Saved{ok, file.errorString()};
}

QByteArray newTestFileBytes(const EditorTest &test)
{
    IniDocument doc;
    writeTest(doc, test);
    return doc.toBytes();
}

Saved replaceTestFile(const QString &path, const EditorTest &test)
{
    if (FileStore::write(path, newTestFileBytes(test)))
        return Saved{true, QString()};
    return Saved{false, FileStore::writeErrorMessage(path)};
}

Saved createTestFile(const QString &path, const QDateTime &now)
{
    ProfileFile file(path);
    const bool ok = file.writeDateTime(TestLayout::SettingsSection, TestLayout::CreatedKey, now);
    return Saved{ok, file.errorString()};
}

} // namespace TestFileCommands
