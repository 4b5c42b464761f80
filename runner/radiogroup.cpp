#include "radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroupBox::RadioGroupBox(QWidget *parent)
    : QGroupBox(parent)
    , m_group(new QButtonGroup(this))
    , m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(8, 4, 8, 4);
    m_layout->setSpacing(0);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_updating)
            emit picked(id);
    });
}

void RadioGroupBox::setItems(const QStringList &items)
{
    if (items == m_items && m_buttons.size() == items.size())
        return;
    m_items = items;
    qDeleteAll(m_buttons);
    m_buttons.clear();
    for (int i = 0; i < items.size(); ++i) {
        // A radio button shows its text under the "&" rule itself.
        auto *button = new QRadioButton(items[i], this);
        button->setObjectName(QStringLiteral("RadioButton%1").arg(i));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        m_group->addButton(button, i);
        m_layout->addWidget(button, 1);
        // Shown at once, not when the layout gets round to it, so the
        // keyboard reaches it straight away.
        button->show();
        m_buttons.append(button);
    }
}

void RadioGroupBox::setSelected(int index)
{
    m_updating = true;
    if (index >= 0 && index < m_buttons.size()) {
        m_buttons[index]->setChecked(true);
    } else if (QAbstractButton *checked = m_group->checkedButton()) {
        // An exclusive group never unchecks its last button by itself.
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
    m_updating = false;
}

int RadioGroupBox::selected() const
{
    return m_group->checkedId();
}

QRadioButton *RadioGroupBox::button(int index) const
{
    return m_buttons.value(index);
}
