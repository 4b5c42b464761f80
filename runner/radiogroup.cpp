#include "radiogroup.h"

#include "displaytext.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QVBoxLayout>

namespace {

// Room above and below the text of a row.
constexpr int RowPadding = 2;

} // namespace

OptionButton::OptionButton(const QString &text, QWidget *parent)
    : QRadioButton(text, parent)
{
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding, QSizePolicy::RadioButton);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    m_text.setFont(font());
    m_text.setHtml(mnemonicTextToHtml(text));
}

int OptionButton::textLeft() const
{
    return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this)
            + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
}

int OptionButton::heightForWidth(int width) const
{
    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this);
    return qMax(indicator, const_cast<WrappedText &>(m_text).heightForWidth(width - textLeft()))
            + 2 * RowPadding;
}

// The heights of one line; the layout asks heightForWidth() for the height
// at the width it gives.
QSize OptionButton::sizeHint() const
{
    return QSize(textLeft() + fontMetrics().averageCharWidth() * 10, oneLineHeight());
}

QSize OptionButton::minimumSizeHint() const
{
    return QSize(textLeft() + fontMetrics().averageCharWidth() * 4, oneLineHeight());
}

int OptionButton::oneLineHeight() const
{
    return qMax(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this),
                fontMetrics().height())
            + 2 * RowPadding;
}

QRect OptionButton::textRect() const
{
    const int height = const_cast<WrappedText &>(m_text).heightForWidth(width() - textLeft());
    return QRect(textLeft(), (this->height() - height) / 2, width() - textLeft(), height);
}

QRect OptionButton::indicatorRect() const
{
    const int w = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this);
    const int h = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this);
    // Beside the first line of the text.
    const QRect text = textRect();
    const int firstLine = qMin(text.height(), fontMetrics().height());
    return QRect(0, text.top() + (firstLine - h) / 2, w, h);
}

bool OptionButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void OptionButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.rect = indicatorRect();
    style()->drawPrimitive(QStyle::PE_IndicatorRadioButton, &option, &painter, this);
    const QRect text = textRect();
    m_text.paint(&painter, text,
                 palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::WindowText));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = text.adjusted(-1, 0, 1, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void OptionButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        emit stepRequested(-1);
        return;
    case Qt::Key_Down:
    case Qt::Key_Right:
        emit stepRequested(1);
        return;
    default:
        QRadioButton::keyPressEvent(event);
    }
}

void OptionButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_text.setFont(font());
        updateGeometry();
    }
    QRadioButton::changeEvent(event);
}

RadioGroupBox::RadioGroupBox(QWidget *parent)
    : QGroupBox(parent)
    , m_group(new QButtonGroup(this))
    , m_scroll(new QScrollArea(this))
    , m_column(new QWidget)
    , m_layout(new QVBoxLayout(m_column))
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_scroll);
    m_scroll->setObjectName(QStringLiteral("OptionScroller"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_column->setAutoFillBackground(false);
    m_column->setObjectName(QStringLiteral("OptionColumn"));
    m_layout->setContentsMargins(8, 4, 8, 4);
    m_layout->setSpacing(0);
    m_scroll->setWidget(m_column);
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
        auto *button = new OptionButton(items[i], m_column);
        button->setObjectName(QStringLiteral("RadioButton%1").arg(i));
        m_group->addButton(button, i);
        m_layout->addWidget(button, 1);
        connect(button, &OptionButton::stepRequested, this,
                [this, button](int by) { step(button, by); });
        // Shown at once, not when the layout gets round to it, so the
        // keyboard reaches it straight away.
        button->show();
        m_buttons.append(button);
    }
    m_scroll->verticalScrollBar()->setValue(0);
}

void RadioGroupBox::step(OptionButton *from, int by)
{
    // As a platform radio group does: the arrow keys pick the option before
    // or after the focused one, wrapping round at the ends.
    const qsizetype count = m_buttons.size();
    const qsizetype at = m_buttons.indexOf(from);
    if (count == 0 || at < 0)
        return;
    OptionButton *target = m_buttons[(at + by + count) % count];
    target->setFocus(Qt::OtherFocusReason);
    target->setChecked(true);
    m_scroll->ensureWidgetVisible(target, 0, 0);
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
