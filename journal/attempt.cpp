#include "attempt.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <QUuid>

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
    a.testAuthor = o["testAuthor"].toString();
    a.student = o["student"].toString();
    a.computer = o["computer"].toString();
    a.account = o["account"].toString();
    a.started = QDateTime::fromString(o["started"].toString(), Qt::ISODate).toUTC();
    a.finished = QDateTime::fromString(o["finished"].toString(), Qt::ISODate).toUTC();
    a.seconds = o["seconds"].toInt();
    a.timeLimit = o["timeLimit"].toInt();
    a.questions = o["questions"].toInt();
    a.answered = o["answered"].toInt();
    a.correct = o["correct"].toInt();
    a.percent = o["percent"].toInt();
    a.grade = o["grade"].toInt();
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
