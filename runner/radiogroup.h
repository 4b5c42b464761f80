#pragma once

#include <QGroupBox>
#include <QList>
#include <QRadioButton>
#include <QStringList>

#include "wrappedtext.h"

class QButtonGroup;
class QScrollArea;
class QVBoxLayout;

// One option of the group: its whole row picks it, and its text wraps
// within the row's width instead of running past the edge.
class OptionButton : public QRadioButton
{
    Q_OBJECT
public:
    OptionButton(const QString &text, QWidget *parent);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // An arrow key: -1 for Up and Left, +1 for Down and Right.
    void stepRequested(int step);

protected:
    bool hitButton(const QPoint &pos) const override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QRect indicatorRect() const;
    QRect textRect() const;
    int textLeft() const;
    int oneLineHeight() const;

    WrappedText m_text;
};

// One column of options spread evenly over the box's height; when they do
// not fit, the column scrolls instead of squeezing a row below one line of
// text. picked(i) is emitted when the user selects option i by mouse, arrow
// keys (which wrap round at the ends) or space; selecting the option already
// selected emits nothing, nor does setSelected().
class RadioGroupBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit RadioGroupBox(QWidget *parent = nullptr);

    // Rebuilds the buttons only when the texts change, so keyboard focus
    // stays where it is when the same question is shown again.
    void setItems(const QStringList &items);
    QStringList items() const { return m_items; }
    void setSelected(int index);
    int selected() const;
    QRadioButton *button(int index) const;
    QScrollArea *scrollArea() const { return m_scroll; }

signals:
    void picked(int index);

private:
    void step(OptionButton *from, int step);

    QStringList m_items;
    QList<OptionButton *> m_buttons;
    QButtonGroup *m_group;
    QScrollArea *m_scroll;
    QWidget *m_column;
    QVBoxLayout *m_layout;
    bool m_updating = false;
};
