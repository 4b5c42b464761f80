#pragma once

#include <QElapsedTimer>
#include <QListWidget>

// The list of questions. Typing selects the first caption that begins with
// the letters typed less than 500 ms apart, in any letter case; a Backspace
// that empties those letters selects the first entry.
class QuestionList : public QListWidget
{
public:
    using QListWidget::QListWidget;

    void keyboardSearch(const QString &search) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // A Ctrl+click or Ctrl+Space on the selected entry leaves it selected:
    // a list that is not empty never loses its selection to the author.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;

private:
    void selectFirstStartingWith(const QString &prefix);

    QString m_prefix;
    QElapsedTimer m_lastKey;
};
