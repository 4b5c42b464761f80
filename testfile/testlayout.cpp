#include "testlayout.h"

#include "cp1251.h"

#include <QStringBuilder>

#include <algorithm>
#include <limits>

namespace {

const QString TestNameKey = QStringLiteral("TestName");
const QString AuthorKey = QStringLiteral("Author");
const QString MessageKey = QStringLiteral("MessageOnComplete");
const QString AllowFinishKey = QStringLiteral("AllowFinish");
const QString ShowResultKey = QStringLiteral("ShowResult");
const QString DisableOpenTestKey = QStringLiteral("DisableOpenTest");
const QString ExitOnCompleteKey = QStringLiteral("ExitOnComplete");
const QString ShuffleQuestionsKey = QStringLiteral("ShuffleQuestions");
const QString ShuffleAnswersKey = QStringLiteral("ShuffleAnswers");
const QString TimeLimitKey = QStringLiteral("TimeLimit");
const QString AskNameKey = QStringLiteral("AskName");
const QString Grade5Key = QStringLiteral("Grade5");
const QString Grade4Key = QStringLiteral("Grade4");
const QString Grade3Key = QStringLiteral("Grade3");
const QString ReviewKey = QStringLiteral("Review");

// An integer key that holds a number from low to high, else -1.
int numberInRange(const IniDocument &doc, const QString &key, int low, int high)
{
    const int n = doc.readInteger(TestLayout::SettingsSection, key, -1);
    return n >= low && n <= high ? n : -1;
}

// The number in a stored name such as "Q12" or "a3" (letter case aside, as
// names are matched), or -1 when the name is not prefix + a number written
// without leading zeros.
int numberAfter(char prefix, QByteArrayView name)
{
    if (name.size() < 2 || name.size() > 11
        || !Cp1251::equalIgnoringCase(name.first(1), QByteArrayView(&prefix, 1))) {
        return -1;
    }
    if (name[1] == '0' && name.size() > 2)
        return -1;
    qint64 n = 0;
    for (qsizetype i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n <= std::numeric_limits<int>::max() ? int(n) : -1;
}

} // namespace

namespace TestLayout {

QString questionSection(int number)
{
    return QLatin1Char('Q') % QString::number(number);
}

QString answerKey(int number)
{
    // A save names the first few keys of every question: made once.
    static const QStringList first = [] {
        QStringList keys;
        for (int k = 0; k < 32; ++k)
            keys.append(QLatin1Char('A') % QString::number(k));
        return keys;
    }();
    return number >= 0 && number < first.size() ? first[number]
                                                : QLatin1Char('A') % QString::number(number);
}

int lastQuestion(const IniDocument &doc)
{
    return doc.readInteger(SettingsSection, LastQuestionKey, 0);
}

QList<int> questionNumbers(const IniDocument &doc, int lastQ)
{
    QList<int> numbers;
    for (const QByteArrayView name : doc.sectionNameBytes()) {
        const int n = numberAfter('Q', name);
        if (n >= 0 && n <= lastQ)
            numbers.append(n);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

Question readQuestion(const IniDocument &doc, const QString &section)
{
    // One pass over the section: a question is read whole, every time it is
    // shown or loaded.
    const IniDocument::Entries entries = doc.readEntries(section);
    Question question;
    int lastA = 0;
    static const QByteArray questionTextKey = Cp1251::encode(QuestionTextKey);
    static const QByteArray lastAnswerKey = Cp1251::encode(LastAnswerKey);
    static const QByteArray shuffleKey = Cp1251::encode(ShuffleKey);
    for (const IniDocument::Entry &e : entries) {
        if (Cp1251::equalIgnoringCase(e.name, questionTextKey)) {
            const QString text = e.value();
            question.text = text.isNull() ? QStringLiteral("") : text; // present, if empty
        } else if (Cp1251::equalIgnoringCase(e.name, lastAnswerKey)) {
            lastA = IniDocument::toInteger(e.stored, 0);
        } else if (Cp1251::equalIgnoringCase(e.name, shuffleKey)) {
            question.shuffle = IniDocument::toInteger(e.stored, 1) != 0;
        }
    }
    question.options.reserve(entries.size());
    for (const IniDocument::Entry &e : entries) {
        const int k = numberAfter('A', e.name);
        if (k >= 0 && k <= lastA)
            question.options.append(Option{k, e.value(), e.listed});
    }
    std::sort(question.options.begin(), question.options.end(),
              [](const Option &a, const Option &b) { return a.number < b.number; });
    return question;
}

bool isCorrect(const QString &option)
{
    return option.startsWith(CorrectMark);
}

qsizetype correctCount(const QStringList &options)
{
    return std::count_if(options.cbegin(), options.cend(), isCorrect);
}

bool isCorrectAnswer(const QString &answer)
{
    return answer.endsWith(u' ');
}

QString questionTextToFile(const QString &text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString stored = text;
    stored.replace(QStringLiteral("\r\n"), QString(StoredLineBreak));
    stored.replace(u'\r', StoredLineBreak).replace(u'\n', StoredLineBreak);
    return stored;
}

QString questionTextFromFile(const QString &stored)
{
    if (!stored.contains(StoredLineBreak))
        return stored;
    QString text = stored;
    return text.replace(StoredLineBreak, u'\n');
}

} // namespace TestLayout

TestSettings TestSettings::read(const IniDocument &doc)
{
    using TestLayout::SettingsSection;
    const TestSettings defaults;
    TestSettings s;
    s.testName = doc.readString(SettingsSection, TestNameKey, defaults.testName);
    s.author = doc.readString(SettingsSection, AuthorKey, defaults.author);
    s.messageOnComplete = doc.readString(SettingsSection, MessageKey, defaults.messageOnComplete);
    s.allowFinish = doc.readBool(SettingsSection, AllowFinishKey, defaults.allowFinish);
    s.showResult = doc.readBool(SettingsSection, ShowResultKey, defaults.showResult);
    s.disableOpenTest = doc.readBool(SettingsSection, DisableOpenTestKey, defaults.disableOpenTest);
    s.exitOnComplete = doc.readBool(SettingsSection, ExitOnCompleteKey, defaults.exitOnComplete);
    return s;
}

void TestSettings::write(IniDocument &doc) const
{
    using namespace TestLayout;
    doc.writeString(SettingsSection, ProgramKey, ProgramName);
    doc.writeString(SettingsSection, VersionKey, ProgramVersion);
    doc.writeString(SettingsSection, TestNameKey, testName);
    doc.writeString(SettingsSection, AuthorKey, author);
    doc.writeString(SettingsSection, MessageKey, messageOnComplete);
    doc.writeBool(SettingsSection, AllowFinishKey, allowFinish);
    doc.writeBool(SettingsSection, ShowResultKey, showResult);
    doc.writeBool(SettingsSection, DisableOpenTestKey, disableOpenTest);
    doc.writeBool(SettingsSection, ExitOnCompleteKey, exitOnComplete);
}

bool operator==(const TestSettings &a, const TestSettings &b)
{
    return a.testName == b.testName && a.author == b.author
            && a.messageOnComplete == b.messageOnComplete && a.allowFinish == b.allowFinish
            && a.showResult == b.showResult && a.disableOpenTest == b.disableOpenTest
            && a.exitOnComplete == b.exitOnComplete;
}

RunOptions RunOptions::read(const IniDocument &doc)
{
    using TestLayout::SettingsSection;
    RunOptions o;
    o.shuffleQuestions = doc.readBool(SettingsSection, ShuffleQuestionsKey, false);
    o.shuffleAnswers = doc.readBool(SettingsSection, ShuffleAnswersKey, false);
    o.timeLimit = std::max(numberInRange(doc, TimeLimitKey, 1, MaxTimeLimit), 0);
    o.askName = doc.readBool(SettingsSection, AskNameKey, false);
    const int g5 = numberInRange(doc, Grade5Key, 0, 100);
    const int g4 = numberInRange(doc, Grade4Key, 0, 100);
    const int g3 = numberInRange(doc, Grade3Key, 0, 100);
    if (g5 >= 0 && g4 >= 0 && g3 >= 0) {
        o.grades = true;
        o.grade5 = g5;
        o.grade4 = g4;
        o.grade3 = g3;
    }
    o.review = Review(std::max(numberInRange(doc, ReviewKey, 0, 2), 0));
    return o;
}

void RunOptions::write(IniDocument &doc) const
{
    using TestLayout::SettingsSection;
    const RunOptions defaults;
    const auto needed = [&](const QString &key, bool differs) {
        return differs || doc.valueExists(SettingsSection, key);
    };
    if (needed(ShuffleQuestionsKey, shuffleQuestions != defaults.shuffleQuestions))
        doc.writeBool(SettingsSection, ShuffleQuestionsKey, shuffleQuestions);
    if (needed(ShuffleAnswersKey, shuffleAnswers != defaults.shuffleAnswers))
        doc.writeBool(SettingsSection, ShuffleAnswersKey, shuffleAnswers);
    if (needed(TimeLimitKey, timeLimit != defaults.timeLimit))
        doc.writeInteger(SettingsSection, TimeLimitKey, timeLimit);
    if (needed(AskNameKey, askName != defaults.askName))
        doc.writeBool(SettingsSection, AskNameKey, askName);
    const QStringList gradeKeys{Grade5Key, Grade4Key, Grade3Key};
    const bool anyGradeKey
            = std::any_of(gradeKeys.cbegin(), gradeKeys.cend(),
                          [&](const QString &k) { return doc.valueExists(SettingsSection, k); });
    if (grades || anyGradeKey) {
        const int thresholds[] = {grade5, grade4, grade3};
        for (int i = 0; i < 3; ++i) {
            doc.writeString(SettingsSection, gradeKeys[i],
                            grades ? QString::number(thresholds[i]) : QString());
        }
    }
    if (needed(ReviewKey, review != defaults.review))
        doc.writeInteger(SettingsSection, ReviewKey, int(review));
}

int percentOf(int count, int total)
{
    // Integers, not a floating-point quotient: 21 of 35 is 60 and 97 of 97 is 100.
    return total > 0 ? int(qint64(count) * 100 / total) : 0;
}

int RunOptions::gradeFor(int correct, int total) const
{
    if (!grades)
        return 0;
    // correct / total >= threshold / 100, without rounding either side.
    const auto reaches
            = [&](int threshold) { return qint64(correct) * 100 >= qint64(threshold) * total; };
    if (reaches(grade5))
        return 5;
    if (reaches(grade4))
        return 4;
    if (reaches(grade3))
        return 3;
    return 2;
}

QString RunOptions::gradesError() const
{
    if (grades && grade5 < grade4)
        return QStringLiteral("Порог оценки 5 не может быть ниже порога оценки 4.");
    if (grades && grade4 < grade3)
        return QStringLiteral("Порог оценки 4 не может быть ниже порога оценки 3.");
    return QString();
}

RunOptions RunOptions::withSoundGrades(const RunOptions &held) const
{
    RunOptions sound = *this;
    if (!gradesError().isEmpty()) {
        sound.grades = held.grades;
        sound.grade5 = held.grade5;
        sound.grade4 = held.grade4;
        sound.grade3 = held.grade3;
    }
    return sound;
}

bool operator==(const RunOptions &a, const RunOptions &b)
{
    return a.shuffleQuestions == b.shuffleQuestions && a.shuffleAnswers == b.shuffleAnswers
            && a.timeLimit == b.timeLimit && a.askName == b.askName && a.grades == b.grades
            && (!a.grades || (a.grade5 == b.grade5 && a.grade4 == b.grade4 && a.grade3 == b.grade3))
            && a.review == b.review;
}
