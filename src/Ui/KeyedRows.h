#pragma once
// Brings the first widgets of a box layout in line with a list of items keyed
// by their id: widgets of items still listed are kept and updated (their
// hover and animation state survives), missing ones are made, the rest are
// removed. Header only: a template over the row widget and item types.
#include <QBoxLayout>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QUuid>

template <typename Row>
struct KeyedRows {
    QHash<QUuid, QPointer<Row>> byID;
    QList<QPointer<Row>> order;

    // Shows the first `count` of `items` in `layout`, making a missing row
    // with `make(item)`; a kept row gets `setItem(item)`.
    template <typename Item, typename Make>
    void sync(QBoxLayout* layout, const QList<Item>& items, int count, Make make)
    {
        QHash<QUuid, QPointer<Row>> keep;
        QList<QPointer<Row>> newOrder;
        for (int i = 0; i < count; ++i) {
            const Item& item = items.at(i);
            QPointer<Row> row = byID.value(item.id);
            if (row)
                row->setItem(item);
            else
                row = make(item);
            keep.insert(item.id, row);
            newOrder << row;
        }
        for (auto it = byID.begin(); it != byID.end(); ++it)
            if (it.value() && !keep.contains(it.key())) {
                layout->removeWidget(it.value());
                it.value()->hide();
                it.value()->deleteLater();
            }
        for (int i = 0; i < newOrder.size(); ++i) {
            layout->removeWidget(newOrder.at(i));
            layout->insertWidget(i, newOrder.at(i));
            newOrder.at(i)->show();
        }
        byID = keep;
        order = newOrder;
    }
};
