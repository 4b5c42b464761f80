#include "conversion.h"

#include "cp1251.h"
#include "filestore.h"
#include "formats.h"
#include "inidocument.h"
#include "testfilecommands.h"
#include "testlayout.h"

#include <QFileInfo>
#include <QHash>

#include <optional>

namespace Conversion {

namespace {

// A test file, or another program's format.
struct FileFormat
{
    bool testFile = false;
    Interchange::Format other = Interchange::Format::Gift;
};

struct Arguments
{
    QString in;
    QString out;
    QString from;
    QString to;
    bool force = false;
};

// The arguments, or the reason they make no command.
std::optional<Arguments> parse(const QStringList &arguments, QString &error)
{
    Arguments a;
    QStringList files;
    bool optionsEnd = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (optionsEnd || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            files.append(arg);
        } else if (arg == QLatin1String("--")) {
            optionsEnd = true;
        } else if (arg == QLatin1String("--force")) {
            a.force = true;
        } else if (arg == QLatin1String("--from") || arg == QLatin1String("--to")) {
            if (i + 1 == arguments.size()) {
                error = QStringLiteral("после %1 нужен формат").arg(arg);
                return std::nullopt;
            }
            (arg == QLatin1String("--from") ? a.from : a.to) = arguments[++i];
        } else if (arg.startsWith(QLatin1String("--from="))) {
            a.from = arg.mid(7);
        } else if (arg.startsWith(QLatin1String("--to="))) {
            a.to = arg.mid(5);
        } else {
            error = QStringLiteral("неизвестный параметр %1").arg(arg);
            return std::nullopt;
        }
    }
    if (files.size() != 2) {
        error = files.size() < 2 ? QStringLiteral("нужны два файла: ВХОД и ВЫХОД")
                                 : QStringLiteral("лишний аргумент %1").arg(files[2]);
        return std::nullopt;
    }
    a.in = files[0];
    a.out = files[1];
    return a;
}

// The format named by given, or else by the file name's suffix.
std::optional<FileFormat> formatFor(const QString &given, const QString &path, const char *option,
                                    QString &error)
{
    const bool named = !given.isEmpty();
    if ((named ? given : QFileInfo(path).suffix())
                .compare(QLatin1String("quivara"), Qt::CaseInsensitive)
        == 0)
        return FileFormat{true};
    if (const auto other = named ? Interchange::named(given) : Interchange::ofFile(path))
        return FileFormat{false, *other};
    error = named ? QStringLiteral("неизвестный формат %1").arg(given)
                  : QStringLiteral("формат файла %1 не ясен из его имени: укажите %2")
                            .arg(path, QLatin1String(option));
    return std::nullopt;
}

QString readError(FileStore::Status status, const QString &path)
{
    switch (status) {
    case FileStore::Status::Missing:
        return QStringLiteral("файл %1 не найден").arg(path);
    case FileStore::Status::NotRegular:
        return QStringLiteral("%1 не файл").arg(path);
    case FileStore::Status::TooLarge:
        return QStringLiteral("файл %1 слишком велик").arg(path);
    case FileStore::Status::Unreadable:
    case FileStore::Status::Ok:
        break;
    }
    return QStringLiteral("файл %1 не удалось прочитать").arg(path);
}

// The line of each question's section header in a test file, in the order
// the questions load.
QList<int> questionLines(const QByteArray &bytes, const IniDocument &doc)
{
    QHash<QString, int> headers; // folded section name -> line, first one wins
    int line = 0;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        ++line;
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        QByteArrayView text = QByteArrayView(bytes).sliced(pos, end - pos).trimmed();
        if (text.startsWith('[')) {
            text = text.sliced(1);
            const qsizetype close = text.indexOf(']');
            const QString name
                    = Cp1251::decode((close < 0 ? text : text.first(close)).toByteArray())
                              .trimmed()
                              .toCaseFolded();
            if (!headers.contains(name))
                headers.insert(name, line);
        }
        pos = end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size()
                        && bytes[end + 1] == '\n'
                ? end + 2
                : end + 1;
    }
    QList<int> lines;
    for (const int n : TestLayout::questionNumbers(doc, TestLayout::lastQuestion(doc)))
        lines.append(headers.value(TestLayout::questionSection(n).toCaseFolded()));
    return lines;
}

QString reportLine(const QString &in, int line, const QString &message)
{
    return line > 0 ? QStringLiteral("%1:%2: %3").arg(in).arg(line).arg(message)
                    : QStringLiteral("%1: %2").arg(in, message);
}

Result failed(QStringList errors, const QString &reason)
{
    errors.append(QStringLiteral("quivara-convert: ") + reason);
    return Result{Failed, errors};
}

} // namespace

Result run(const QStringList &arguments)
{
    QString error;
    const std::optional<Arguments> a = parse(arguments, error);
    if (!a)
        return failed({}, error + QStringLiteral("; ") + Usage);
    const auto from = formatFor(a->from, a->in, "--from", error);
    if (!from)
        return failed({}, error);
    const auto to = formatFor(a->to, a->out, "--to", error);
    if (!to)
        return failed({}, error);
    const QFileInfo out(a->out);
    if (!a->force && (out.exists() || out.isSymLink()))
        return failed({}, QStringLiteral("файл %1 уже есть; --force заменит его").arg(a->out));
    if (out.isDir())
        return failed({}, QStringLiteral("%1 — папка, а не файл").arg(a->out));

    const FileStore::Contents contents = FileStore::read(a->in);
    if (contents.status != FileStore::Status::Ok)
        return failed({}, readError(contents.status, a->in));

    Imported imported;
    if (from->testFile) {
        const IniDocument doc = IniDocument::parse(contents.bytes);
        imported.test = TestFileCommands::readTest(doc);
        imported.questionLines = questionLines(contents.bytes, doc);
    } else {
        imported = Interchange::read(from->other, contents.bytes);
    }
    QStringList errors;
    for (const ReportLine &r : imported.report)
        errors.append(reportLine(a->in, r.line, r.message));
    if (!imported.wellFormed)
        return failed(errors, QStringLiteral("файл %1 повреждён, ничего не записано").arg(a->in));
    const int questions = imported.test.document.questionCount();
    if (questions == 0)
        return failed(errors, QStringLiteral("в файле %1 нет ни одного вопроса").arg(a->in));

    bool written = false;
    if (to->testFile) {
        written = TestFileCommands::replaceTestFile(a->out, imported.test).ok;
    } else {
        Report report;
        const QByteArray bytes = Interchange::write(to->other, imported.test, report);
        for (const ReportLine &r : report) {
            const int line = r.question > 0 && r.question <= imported.questionLines.size()
                    ? imported.questionLines[r.question - 1]
                    : 0;
            errors.append(reportLine(a->in, line, r.message));
        }
        if (Interchange::skippedQuestions(report) == questions)
            return failed(errors,
                          QStringLiteral("ни один вопрос нельзя записать в формате %1")
                                  .arg(Interchange::caption(to->other)));
        written = FileStore::write(a->out, bytes);
    }
    if (!written)
        return failed(errors, QStringLiteral("не удалось записать файл %1").arg(a->out));
    return Result{errors.isEmpty() ? Converted : Partly, errors};
}

} // namespace Conversion
