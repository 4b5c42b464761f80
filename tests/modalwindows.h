#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

#include <functional>

// Types text as key presses; QTest::keyClicks knows only Latin-1 keys.
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

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

// The same for the next modal window of type Window, passing over others
// (a message box that another check answers first, say).
template<typename Window>
void whenModalOf(const std::function<void(Window *)> &check)
{
    QTimer::singleShot(10, [check] {
        auto *modal = qobject_cast<Window *>(QApplication::activeModalWidget());
        if (!modal)
            return whenModalOf<Window>(check);
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
    whenModalOf<QMessageBox>([seen](QMessageBox *box) {
        seen->text = QTextDocumentFragment::fromHtml(box->text()).toPlainText();
        seen->title = box->windowTitle();
        seen->icon = box->icon();
        seen->buttons = box->standardButtons();
        box->close();
    });
}

// Types path into a file dialog and presses Enter once the dialog takes the
// typed name: while it is still selecting the name it offered, a press could
// accept that name instead.
inline void typeIntoDialog(const QString &path)
{
    whenModalOf<QFileDialog>([path](QFileDialog *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>("fileNameEdit");
        // A check that failed here would leave the dialog open, and the
        // test would wait for it to its time limit: the dialog goes first.
        if (!edit)
            dialog->reject();
        QVERIFY(edit);
        edit->setText(path);
        const QString chosen = QFileInfo(dialog->selectedFiles().value(0)).absoluteFilePath();
        const QString wanted = QFileInfo(path).absoluteFilePath();
        if (chosen != wanted && chosen != wanted + "." + dialog->defaultSuffix())
            return typeIntoDialog(path);
        QTest::keyClick(edit, Qt::Key_Return);
    });
}

// Chooses path in the next file dialog, noting the name it offered first.
inline void chooseInDialog(const QString &path, QString *offered = nullptr)
{
    whenModalOf<QFileDialog>([path, offered](QFileDialog *modal) {
        auto *edit = modal->findChild<QLineEdit *>("fileNameEdit");
        if (!edit)
            modal->reject();
        QVERIFY(edit);
        if (offered)
            *offered = edit->text();
        typeIntoDialog(path);
    });
}

// How far a window's centre stands from its screen's centre.
inline QPoint offScreenCentre(const QWidget *window)
{
    return window->frameGeometry().center() - window->screen()->availableGeometry().center();
}

// What an about box shows: its link's text as it is, under the mouse and
// after, the link's and the box's fonts, and the two bevels of its panel.
struct AboutBoxLook
{
    QString link, linkUnderMouse, linkAfterMouse;
    QString linkFamily, boxFamily;
    int outerBevel = -1;
    int innerBevel = -1;
};

inline AboutBoxLook lookAtAboutBox(QWidget *box)
{
    AboutBoxLook look;
    auto *link = box->findChild<QLabel *>("WebSite");
    look.link = link->text();
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(link, &enter);
    look.linkUnderMouse = link->text();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    look.linkAfterMouse = link->text();
    look.linkFamily = link->font().family();
    look.boxFamily = box->font().family();
    look.outerBevel = box->findChild<QFrame *>("Panel1")->frameShadow();
    look.innerBevel = box->findChild<QFrame *>("InnerBevel")->frameShadow();
    return look;
}
