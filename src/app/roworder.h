// Puts the rows of a list in the order they stand on screen, top down, among
// their parent's children, which is the order in which screen readers find
// them: a list view makes its rows as they scroll into view, and a parent
// lists its children in the order they came (a row that comes into view
// above the others would be found last). Stacking the rows anew changes
// nothing on screen, since they do not overlap. (Qt Quick offers stacking to
// C++ only.)
#pragma once

#include <QObject>

class QQuickItem;

class RowOrder : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The children of container that have the property rowProperty, in the
    // order of their y.
    Q_INVOKABLE void restack(QQuickItem *container, const QString &rowProperty) const;
};
