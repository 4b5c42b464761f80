#include "anchors.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

namespace {

// One axis: where the widget starts and how long it is.
std::pair<int, int> placeSpan(bool nearEdge, bool farEdge, int start, int length, int oldSize,
                              int newSize)
{
    if (nearEdge && farEdge)
        return {start, qMax(0, length + newSize - oldSize)};
    if (farEdge)
        return {start + newSize - oldSize, length};
    if (nearEdge)
        return {start, length};
    const double centre = oldSize > 0 ? (start + length / 2.0) / oldSize : 0.5;
    return {int(centre * newSize - length / 2.0), length};
}

} // namespace

Anchors::Anchors(QWidget *parent)
    : QObject(parent)
    , m_parent(parent)
{
    parent->installEventFilter(this);
}

void Anchors::anchor(QWidget *child, Qt::Edges edges)
{
    m_placements.insert(child, Placement{edges, child->geometry(), m_parent->size()});
}

void Anchors::designFor(std::function<std::optional<QSize>()> designedSize)
{
    m_designedSize = std::move(designedSize);
}

bool Anchors::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_parent && event->type() == QEvent::Resize) {
        if (m_designedSize) {
            if (const std::optional<QSize> designed = m_designedSize()) {
                for (Placement &p : m_placements)
                    p.parentSize = *designed;
                m_designedSize = nullptr;
            }
        }
        for (auto it = m_placements.cbegin(); it != m_placements.cend(); ++it)
            place(it.key(), it.value());
    }
    return QObject::eventFilter(watched, event);
}

void Anchors::place(QWidget *child, const Placement &p) const
{
    const QSize size = m_parent->size();
    const auto [x, w] = placeSpan(p.edges & Qt::LeftEdge, p.edges & Qt::RightEdge, p.geometry.x(),
                                  p.geometry.width(), p.parentSize.width(), size.width());
    const auto [y, h] = placeSpan(p.edges & Qt::TopEdge, p.edges & Qt::BottomEdge, p.geometry.y(),
                                  p.geometry.height(), p.parentSize.height(), size.height());
    child->setGeometry(x, y, w, h);
}

void centreOnScreen(QWidget *window)
{
    const QRect available = window->screen()->availableGeometry();
    window->move(available.center() - QPoint(window->width() / 2, window->height() / 2));
}
