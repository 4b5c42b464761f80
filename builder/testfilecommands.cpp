#include "testfilecommands.h"

#include "profilefile.h"

#include <QFileInfo>

namespace TestFileCommands {

QString missingFileMessage(const QString &path)
{
    return QStringLiteral("Файл \"%1\" не существует!").arg(path);
}

Loaded loadTestFile(const QString &path)
{
    Loaded result;
    if (!QFileInfo(path).isFile()) {
        result.message = missingFileMessage(path);
        return result;
    }
    const IniDocument doc = ProfileFile(path).read();
    result.ok = true;
    result.test.settings = TestSettings::read(doc);
    EditorDocument &questions = result.test.document;
    for (const int n : TestLayout::questionNumbers(doc, TestLayout::lastQuestion(doc))) {
        const QString section = TestLayout::questionSection(n);
        questions.addQuestion(TestLayout::questionTextFromFile(
                doc.readString(section, TestLayout::QuestionTextKey, TestLayout::NoQuestionText)));
        const int index = questions.questionCount() - 1;
        for (const int k : TestLayout::answerNumbers(doc, section, TestLayout::lastAnswer(doc, section))) {
            const QString key = TestLayout::answerKey(k);
            if (doc.valueExists(section, key))
                questions.addAnswer(index, doc.readString(section, key, TestLayout::NoAnswerText));
        }
    }
    questions.setCurrentQuestion(-1);
    return result;
}

Saved saveTestFile(const QString &path, const EditorTest &test)
{
    ProfileFile file(path);
    const bool ok = file.edit([&](IniDocument &doc) {
        test.settings.write(doc);
        const EditorDocument &questions = test.document;
        doc.writeInteger(TestLayout::SettingsSection, TestLayout::LastQuestionKey,
                         questions.questionCount() - 1);
        for (int n = 0; n < questions.questionCount(); ++n) {
            const QString section = TestLayout::questionSection(n);
            const QStringList answers = questions.answers(n);
            doc.writeString(section, TestLayout::QuestionTextKey,
                            TestLayout::questionTextToFile(questions.questionText(n)));
            doc.writeInteger(section, TestLayout::LastAnswerKey, int(answers.size()) - 1);
            for (int k = 0; k < answers.size(); ++k)
                doc.writeString(section, TestLayout::answerKey(k), answers[k]);
        }
    });
    return Saved{ok, file.errorString()};
}

Saved createTestFile(const QString &path, const QDateTime &now)
{
    ProfileFile file(path);
    const bool ok = file.writeDateTime(TestLayout::SettingsSection, TestLayout::CreatedKey, now);
    return Saved{ok, file.errorString()};
}

} // namespace TestFileCommands
