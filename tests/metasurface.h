// The part of a class's meta-object that QML sees, one line per member in
// meta-object order, e.g. "signal jsonChanged(QJsonObject json)" or
// "property QString hostname read write notify=hostnameChanged". Tests compare it
// with the surface the scene relies on.
#pragma once

#include <QMetaObject>
#include <QStringList>

QStringList metaSurface(const QMetaObject &meta);
