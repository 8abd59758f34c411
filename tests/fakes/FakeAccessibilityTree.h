#pragma once
#include "Platform/AccessibilityTree.h"

#include <QList>

// A chain of elements, innermost first; each element's parent is the next.
class FakeAccessibleElement final : public AccessibleElement {
public:
    QString role() const override { return roleName; }
    QString subrole() const override { return {}; }
    std::optional<QPointF> position() const override { return pos; }
    std::optional<QSizeF> size() const override { return sz; }
    bool hasVerticalScrollBar() const override { return vBar; }
    bool hasHorizontalScrollBar() const override { return hBar; }
    std::shared_ptr<AccessibleElement> parent() const override { return up; }

    QString roleName;
    std::optional<QPointF> pos;
    std::optional<QSizeF> sz;
    bool vBar = false;
    bool hBar = false;
    std::shared_ptr<FakeAccessibleElement> up;
};

class FakeAccessibilityTree final : public AccessibilityTree {
public:
    bool isAvailable() override { return available; }
    std::shared_ptr<AccessibleElement> elementAt(qint32 pid, const QPointF&) override
    {
        lastPID = pid;
        return chain.isEmpty() ? nullptr : chain.first();
    }

    // Appends an element as the parent of the last one.
    std::shared_ptr<FakeAccessibleElement> add(const QString& role, std::optional<QRectF> frame = std::nullopt)
    {
        auto e = std::make_shared<FakeAccessibleElement>();
        e->roleName = role;
        if (frame) {
            e->pos = frame->topLeft();
            e->sz = frame->size();
        }
        if (!chain.isEmpty())
            chain.last()->up = e;
        chain.append(e);
        return e;
    }

    bool available = true;
    QList<std::shared_ptr<FakeAccessibleElement>> chain;
    qint32 lastPID = 0;
};
