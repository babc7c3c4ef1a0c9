#include "roworder.h"

#include <QQuickItem>

#include <algorithm>

void RowOrder::restack(QQuickItem *container, const QString &rowProperty) const
{
    if (!container)
        return;
    const QByteArray property = rowProperty.toUtf8();
    QList<QQuickItem *> rows;
    const QList<QQuickItem *> children = container->childItems();
    for (QQuickItem *child : children)
        if (child->property(property.constData()).isValid())
            rows.append(child);
    QList<QQuickItem *> inOrder = rows;
    std::stable_sort(inOrder.begin(), inOrder.end(),
                     [](const QQuickItem *a, const QQuickItem *b) { return a->y() < b->y(); });
    if (inOrder == rows)
        return;
    for (int i = 1; i < inOrder.size(); ++i)
        inOrder.at(i)->stackAfter(inOrder.at(i - 1));
}
