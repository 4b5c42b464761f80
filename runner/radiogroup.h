#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

// One column of radio buttons spread evenly over the box's height.
// picked(i) is emitted when the user selects option i by mouse, arrow keys or
// space; selecting the option already selected emits nothing, nor does
// setSelected().
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

signals:
    void picked(int index);

private:
    QStringList m_items;
    QList<QRadioButton *> m_buttons;
    QButtonGroup *m_group;
    QVBoxLayout *m_layout;
    bool m_updating = false;
};
