"""Drives both programs through AT-SPI, as a screen reader would.

Finds every control of both main windows by accessible name and role, then
takes the sample test with accessibility actions alone. Run it through
tests/check_accessibility.sh, which provides the display and the bus.
"""
import subprocess
import sys
import time

import pyatspi

BUILD = sys.argv[1]
SAMPLE = sys.argv[2]
# The correct option of each question of the sample, as the runner shows it.
ANSWERS = ["Лена", "Париж", "Тверь", "Байкал", "Балтийское", "Эльбрус"]


def wait_for(find, what, timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    raise SystemExit(f"not found within {timeout} s: {what}")


def application(name):
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            # A program killed a moment ago may still be listed, and gone when asked.
            try:
                if app is not None and app.name == name:
                    return app
            except Exception:
                continue
        return None
    return wait_for(find, f"application {name}")


def nodes(root):
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        yield node
        try:
            stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
        except Exception:
            pass


def find(root, role, name, showing=True):
    def look():
        for node in nodes(root):
            try:
                if node.getRoleName() == role and node.name.strip() == name:
                    if not showing or node.getState().contains(pyatspi.STATE_SHOWING):
                        return node
            except Exception:
                continue
        return None
    return wait_for(look, f"{role} '{name}'")


def press(node):
    node.queryAction().doAction(0)
    time.sleep(0.3)


def check_controls(app, expected):
    for role, name in expected:
        find(app, role, name, showing=False)
        print(f"  found {role}: {name}")


def runner():
    process = subprocess.Popen([f"{BUILD}/runner/quivara", SAMPLE])
    try:
        app = application("quivara")
        check_controls(app, [
            ("menu item", "Файл"), ("menu item", "Справка"),
            ("menu item", "Открыть тест.."), ("menu item", "Выход"),
            ("menu item", "О программе.."),
            ("push button", "Открыть тест"),
            ("label", "Вопрос 1 из 6:"), ("panel", "Вопрос"), ("panel", "Варианты ответа"),
            ("label", "Какая река самая длинная в России?"),
            ("radio button", "Волга"), ("radio button", "Лена"),
            ("push button", "Назад"), ("push button", "Далее"),
            ("push button", "Завершить тестирование!"),
        ])
        for number, answer in enumerate(ANSWERS, start=1):
            find(app, "label", f"Вопрос {number} из 6:")
            # Every option is named by its text alone: no name tells the key.
            names = [node.name for node in nodes(app)
                     if node.getRoleName() == "radio button"
                     and node.getState().contains(pyatspi.STATE_SHOWING)]
            marked = [name for name in names if name != name.strip()]
            if marked:
                raise SystemExit(f"options whose names tell the key: {marked!r}")
            press(find(app, "radio button", answer))
            if number < len(ANSWERS):
                press(find(app, "push button", "Далее"))
        press(find(app, "push button", "Завершить тестирование!"))
        find(app, "label", "Тест завершен! Спасибо за ответы.\n\nВсего вопросов: 6\n"
             "Дано ответов: 6 (100%)\nПравильных ответов: 6 (100%)")
        print("  the result says 6 of 6 correct")
        press(find(app, "push button", "OK"))
        find(app, "push button", "Открыть тест")
        print("runner: every control found, the whole test taken by actions alone")
    finally:
        process.kill()


def builder():
    process = subprocess.Popen([f"{BUILD}/builder/quivara-builder", SAMPLE])
    try:
        app = application("quivara-builder")
        check_controls(app, [
            ("menu item", "Файл"), ("menu item", "Справка"),
            ("menu item", "Создать..."), ("menu item", "Открыть..."),
            ("menu item", "Сохранить"), ("menu item", "Сохранить как..."),
            ("menu item", "Импорт..."), ("menu item", "Экспорт..."),
            ("menu item", "Печать..."), ("menu item", "Экспорт в PDF..."),
            ("menu item", "Журнал результатов..."),
            ("page tab", "Общие настройки"), ("page tab", "Тестовые задания"),
            ("list", "Тестовые задания"), ("text", "Текст задания:"),
            ("text", "Варианты ответа:"),
            ("push button", "Добавить"), ("push button", "Удалить"),
            ("text", "Название:"), ("text", "Составитель:"),
            ("text", "Сообщение о завершении теста:"),
            ("check box", "Показывать результаты теста по завершению"),
        ])
        press(find(app, "push button", "Добавить"))
        find(app, "list item", "Без текста задания")
        print("builder: every control found, a question added by an action")
    finally:
        process.kill()


runner()
builder()
