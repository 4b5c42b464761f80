#pragma once

#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

class QWidget;

// Keeps child widgets placed as the window is resized. A widget anchored to
// both left and right stretches with its parent; anchored to right only, it
// keeps its distance from the right edge; anchored to neither side, it keeps
// its centre at the same fraction of the parent's width. Likewise top and
// bottom. Positions are taken when a widget is anchored, relative to the
// parent's size then, or to the size set by designFor().
class Anchors : public QObject
{
public:
    explicit Anchors(QWidget *parent);

    void anchor(QWidget *child, Qt::Edges edges);
    // For a parent whose size is only known once it is laid out (a page of
    // a tab widget): at each resize, until it gives one, designedSize()
    // tells the parent's size that the anchored positions were given for.
    void designFor(std::function<std::optional<QSize>()> designedSize);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Placement
    {
        Qt::Edges edges;
        QRect geometry;
        QSize parentSize;
    };
    void place(QWidget *child, const Placement &p) const;

    QWidget *m_parent;
    QHash<QWidget *, Placement> m_placements;
    std::function<std::optional<QSize>()> m_designedSize;
};

// Moves a top-level window so that it stands in the middle of its screen.
void centreOnScreen(QWidget *window);
