#include "questionlist.h"

#include <QKeyEvent>

namespace {
constexpr int TypingInterval = 500;
}

void QuestionList::keyboardSearch(const QString &search)
{
    if (!m_lastKey.isValid() || m_lastKey.elapsed() >= TypingInterval)
        m_prefix.clear();
    m_lastKey.restart();
    m_prefix += search;
    selectFirstStartingWith(m_prefix);
}

void QuestionList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Backspace && !m_prefix.isEmpty() && m_lastKey.isValid()
        && m_lastKey.elapsed() < TypingInterval) {
        m_prefix.chop(1);
        m_lastKey.restart();
        if (m_prefix.isEmpty()) {
            if (count() > 0)
                setCurrentRow(0);
        } else {
            selectFirstStartingWith(m_prefix);
        }
        return;
    }
    QListWidget::keyPressEvent(event);
}

void QuestionList::selectFirstStartingWith(const QString &prefix)
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text().startsWith(prefix, Qt::CaseInsensitive)) {
            setCurrentRow(i);
            return;
        }
    }
}

QItemSelectionModel::SelectionFlags QuestionList::selectionCommand(const QModelIndex &index,
                                                                   const QEvent *event) const
{
    const QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
    if ((flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        && selectionModel()->isSelected(index)) {
        return QItemSelectionModel::NoUpdate;
    }
    return flags;
}
