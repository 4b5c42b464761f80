// Every caption of both windows and both about boxes, letter for letter.
#include "mainform.h"
#include "mform.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

namespace {

// The caption an object shows: a window's title, a menu's title, an
// action's, a label's or a button's text; "tab:N" is the Nth tab of Pages.
QString captionOf(QWidget *window, const QString &path)
{
    if (path.isEmpty())
        return window->windowTitle();
    if (path.startsWith("tab:"))
        return window->findChild<QTabWidget *>("Pages")->tabText(path.mid(4).toInt());
    QObject *object = window;
    for (const QString &name : path.split(u'/'))
        object = object ? object->findChild<QObject *>(name) : nullptr;
    if (!object)
        return QStringLiteral("<no %1>").arg(path);
    if (auto *box = qobject_cast<QDialog *>(object))
        return box->windowTitle();
    if (auto *menu = qobject_cast<QMenu *>(object))
        return menu->title();
    if (auto *action = qobject_cast<QAction *>(object))
        return action->text();
    if (auto *label = qobject_cast<QLabel *>(object))
        return label->text();
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return button->text();
    return QStringLiteral("<no caption for %1>").arg(path);
}

} // namespace

class TstCaptions : public QObject
{
    Q_OBJECT
private slots:
    void caption_data();
    void caption();
};

void TstCaptions::caption_data()
{
    QTest::addColumn<bool>("editor");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    const struct
    {
        bool editor;
        const char *path;
        const char *caption;
    } rows[] = {
            {false, "", "Quivara 0.1"},
            {false, "OpenTestButton", "Открыть тест"},
            {false, "QIndicator", "Вопрос:"},
            {false, "FinishButton", "Завершить тестирование!"},
            {false, "PQButton", "Назад"},
            {false, "NQButton", "Далее"},
            {false, "N1", "Файл"},
            {false, "N2", "Открыть тест.."},
            {false, "N4", "Выход"},
            {false, "N5", "Справка"},
            {false, "N8", "Сайт автора"},
            {false, "N9", "Помощь и обсуждение в форуме"},
            {false, "N6", "О программе.."},
            {false, "AboutBox", "О Quivara"},
            {false, "AboutBox/ProductName", "Quivara"},
            {false, "AboutBox/Version", "0.1"},
            {false, "AboutBox/Comments",
             "Простая программа для проведения тестирований. Тесты составляются "
             "при помощи программы Quivara Builder."},
            {false, "AboutBox/OKButton", "OK"},
            {true, "", "Quivara Builder 0.1"},
            {true, "tab:0", "Общие настройки"},
            {true, "tab:1", "Тестовые задания"},
            {true, "Label1", "Название:"},
            {true, "Label2", "Составитель:"},
            {true, "Label3", "Сообщение о завершении теста:"},
            {true, "AllowFinish", "Разрешить завершать тест, даже если завершены не все задания"},
            {true, "ShowResult", "Показывать результаты теста по завершению"},
            {true, "DisableOpenTest",
             "Отключить пункт меню \"Загрузить тест\" во время прохождения теста"},
            {true, "ExitOnComplete", "Закрывать программу по завершению теста"},
            {true, "Label5", "Текст задания:"},
            {true, "Label6", "Варианты ответа:"},
            {true, "Label4",
             "Каждый вариант ответа - в отдельной строке. Правильные варианты ответа должны "
             "начинаться со знака * (\"звездочка\")."},
            {true, "QAddButton", "Добавить"},
            {true, "QDelButton", "Удалить"},
            {true, "N1", "Файл"},
            {true, "N7", "Создать..."},
            {true, "N2", "Открыть..."},
            {true, "N3", "Сохранить"},
            {true, "N4", "Сохранить как..."},
            {true, "N6", "Выход"},
            {true, "N9", "Справка"},
            {true, "N13", "Сайт автора"},
            {true, "N12", "Помощь и обсуждение  на форуме"},
            {true, "N10", "О программе..."},
            {true, "AboutBox", "О Quivara Builder"},
            {true, "AboutBox/ProductName", "Quivara Builder"},
            {true, "AboutBox/Version", "0.1"},
            {true, "AboutBox/Comments", "Конструктор тестов для программы Quivara."},
            {true, "AboutBox/OKButton", "OK"},
    };
    for (const auto &row : rows) {
        QTest::addRow("%s: %s", row.editor ? "editor" : "runner", *row.path ? row.path : "window")
                << row.editor << QString::fromUtf8(row.path) << QString::fromUtf8(row.caption);
    }
}

void TstCaptions::caption()
{
    QFETCH(bool, editor);
    QFETCH(QString, path);
    QFETCH(QString, caption);
    TMForm runner;
    TForm1 builder;
    // The about boxes are made when first shown; make them now.
    runner.aboutBox();
    builder.aboutBox();
    QCOMPARE(captionOf(editor ? static_cast<QWidget *>(&builder) : &runner, path), caption);
}

QTEST_MAIN(TstCaptions)
#include "tst_captions.moc"
