#include "attempt.h"

#include "testlayout.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUuid>

#include <climits>
#include <cmath>

#include <pwd.h>
#include <unistd.h>

namespace {

QString accountName()
{
    // The login name, which HOME or USER may not tell truly.
    if (const passwd *entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(geteuid());
}

QString utc(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

} // namespace

Attempt Attempt::begun()
{
    Attempt a;
    a.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    a.computer = QSysInfo::machineHostName();
    a.account = accountName();
    return a;
}

QString Attempt::fault() const
{
    static const QRegularExpression sha256(QStringLiteral("^[0-9a-f]{64}$"));
    const auto tooLong = [](const QString &text, int limit) { return text.size() > limit; };
    if (id.isEmpty() || tooLong(id, 64))
        return QStringLiteral("нет номера попытки");
    if (!sha256.match(testSha256).hasMatch())
        return QStringLiteral("нет SHA-256 теста");
    for (const QString &change : testChanges) {
        if (!sha256.match(change).hasMatch())
            return QStringLiteral("нет SHA-256 изменённого теста");
    }
    if (tooLong(student, MaxStudentLength))
        return QStringLiteral("имя длиннее %1 символов").arg(MaxStudentLength);
    for (const QString *text : {&testTitle, &testAuthor, &computer, &account, &version}) {
        if (tooLong(*text, MaxTextLength))
            return QStringLiteral("текст длиннее %1 символов").arg(MaxTextLength);
    }
    if (tooLong(testFile, 4096))
        return QStringLiteral("путь к тесту длиннее 4096 символов");
    if (!started.isValid() || !finished.isValid())
        return QStringLiteral("нет времени начала или конца");
    if (seconds < 0 || timeLimit < 0 || timeLimit > 24 * 60)
        return QStringLiteral("время вне пределов");
    if (questions < 0 || answered < 0 || answered > questions || correct < 0 || correct > answered)
        return QStringLiteral("числа ответов не сходятся");
    if (percent != percentOf(correct, questions))
        return QStringLiteral("процент не сходится с числом верных ответов");
    if (grade != 0 && (grade < 2 || grade > 5))
        return QStringLiteral("оценка вне пределов");
    if (ended != u"student" && ended != u"time")
        return QStringLiteral("неизвестное завершение");
    if (answers.size() != questions)
        return QStringLiteral("ответов не столько, сколько вопросов");
    int given = 0;
    int right = 0;
    for (const AttemptAnswer &a : answers) {
        for (const QString *text : {&a.section, &a.question, &a.answer}) {
            if (tooLong(*text, MaxTextLength))
                return QStringLiteral("текст длиннее %1 символов").arg(MaxTextLength);
        }
        given += a.answer.isNull() ? 0 : 1;
        right += a.correct ? 1 : 0;
        if (a.correct && a.answer.isNull())
            return QStringLiteral("верный ответ без ответа");
    }
    if (given != answered || right != correct)
        return QStringLiteral("ответы не сходятся с числами");
    return QString();
}

QString Attempt::figures() const
{
    QString who = QStringLiteral("Тест «%1»").arg(testTitle);
    if (!student.isEmpty())
        who += QStringLiteral(", ") + student;
    who += QStringLiteral(", ")
            + finished.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
    QString text = QStringLiteral("%1: вопросов %2, отвечено %3, верно %4 (%5 %)")
                           .arg(who)
                           .arg(questions)
                           .arg(answered)
                           .arg(correct)
                           .arg(percent);
    if (grade > 0)
        text += QStringLiteral(", оценка %1").arg(grade);
    return text + u'.';
}

QByteArray Attempt::toJson() const
{
    QJsonArray list;
    for (const AttemptAnswer &answer : answers) {
        list.append(QJsonObject{{"section", answer.section},
                                {"question", answer.question},
                                {"answer", answer.answer.isNull() ? QJsonValue() : answer.answer},
                                {"correct", answer.correct}});
    }
    const QJsonObject object{{"id", id},
                             {"testTitle", testTitle},
                             {"testFile", testFile},
                             {"testSha256", testSha256},
                             {"testChanges", QJsonArray::fromStringList(testChanges)},
                             {"testAuthor", testAuthor},
                             {"student", student},
                             {"computer", computer},
                             {"account", account},
                             {"started", utc(started)},
                             {"finished", utc(finished)},
                             {"seconds", seconds},
                             {"timeLimit", timeLimit},
                             {"questions", questions},
                             {"answered", answered},
                             {"correct", correct},
                             {"percent", percent},
                             {"grade", grade},
                             {"ended", ended},
                             {"version", version},
                             {"answers", list}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<Attempt> Attempt::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    Attempt a;
    a.id = o["id"].toString();
    if (a.id.isEmpty())
        return std::nullopt;
    a.testTitle = o["testTitle"].toString();
    a.testFile = o["testFile"].toString();
    a.testSha256 = o["testSha256"].toString();
    for (const QJsonValue &v : o["testChanges"].toArray())
        a.testChanges.append(v.toString());
    a.testAuthor = o["testAuthor"].toString();
    a.student = o["student"].toString();
    a.computer = o["computer"].toString();
    a.account = o["account"].toString();
    a.started = QDateTime::fromString(o["started"].toString(), Qt::ISODate).toUTC();
    a.finished = QDateTime::fromString(o["finished"].toString(), Qt::ISODate).toUTC();
    // A number that is not a whole one in range reads as -1, which no field takes.
    const auto number = [&o](const char *key) {
        const QJsonValue v = o[QLatin1String(key)];
        const double d = v.toDouble(-1);
        return v.isDouble() && d == std::floor(d) && d >= 0 && d <= INT_MAX ? int(d) : -1;
    };
    a.seconds = number("seconds");
    a.timeLimit = number("timeLimit");
    a.questions = number("questions");
    a.answered = number("answered");
    a.correct = number("correct");
    a.percent = number("percent");
    a.grade = number("grade");
    a.ended = o["ended"].toString();
    a.version = o["version"].toString();
    for (const QJsonValue &v : o["answers"].toArray()) {
        const QJsonObject item = v.toObject();
        AttemptAnswer answer;
        answer.section = item["section"].toString();
        answer.question = item["question"].toString();
        if (!item["answer"].isNull())
            answer.answer = item["answer"].toString("");
        answer.correct = item["correct"].toBool();
        a.answers.append(answer);
    }
    return a;
}
