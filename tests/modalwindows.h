#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

#include <functional>

// A modal window blocks the test that opened it; these look at it from a
// timer while it runs, and close it as its user would.

// Lets check look at the next modal window once it shows; check closes it.
inline void whenModal(const std::function<void(QWidget *)> &check)
{
    QTimer::singleShot(10, [check] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return whenModal(check);
        check(modal);
    });
}

struct SeenMessage
{
    QString text; // as shown, markup taken out
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Records the next message box and dismisses it.
inline void answerNextMessage(SeenMessage *seen)
{
    whenModal([seen](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        seen->text = QTextDocumentFragment::fromHtml(box->text()).toPlainText();
        seen->title = box->windowTitle();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        box->close();
    });
}

// Types path into the next file dialog and presses Enter, noting the name
// the dialog offered first.
inline void chooseInDialog(const QString &path, QString *offered = nullptr)
{
    whenModal([path, offered](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QVERIFY(dialog);
        auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
        QVERIFY(edit);
        if (offered)
            *offered = edit->text();
        edit->setText(path);
        QTest::keyClick(edit, Qt::Key_Return);
    });
}
