#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Asks the student's name before a test's first question: "OK" is offered
// only once the name is not blank.
class NameBox : public QDialog
{
    Q_OBJECT
public:
    explicit NameBox(const QString &title, QWidget *parent = nullptr);

    QString name() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *m_name = nullptr;
    QPushButton *m_ok = nullptr;
};

// The look back at the answers of a finished run, as text to read with the
// keyboard or a screen reader, and a "Закрыть" button.
class ReviewBox : public QDialog
{
    Q_OBJECT
public:
    explicit ReviewBox(const QString &text, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPlainTextEdit *m_text = nullptr;
};
