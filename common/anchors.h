#pragma once

#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

// Keeps child widgets placed as the window is resized. A widget anchored to
// both left and right stretches with its parent; anchored to right only, it
// keeps its distance from the right edge; anchored to neither side, it keeps
// its centre at the same fraction of the parent's width. Likewise top and
// bottom. Positions are taken when a widget is anchored.
class Anchors : public QObject
{
public:
    explicit Anchors(QWidget *parent);

    void anchor(QWidget *child, Qt::Edges edges);

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
};

// Moves a top-level window so that it stands in the middle of its screen.
void centreOnScreen(QWidget *window);
