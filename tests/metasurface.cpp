#include "metasurface.h"

#include <QMetaMethod>
#include <QMetaProperty>

QStringList metaSurface(const QMetaObject &meta)
{
    QStringList lines;
    lines << QStringLiteral("class %1 : %2").arg(meta.className(), meta.superClass()->className());
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        static const char *const kinds[] = {"method", "signal", "slot", "constructor"};
        static const char *const access[] = {"private ", "protected ", ""};
        QStringList parameters;
        for (int p = 0; p < method.parameterCount(); ++p)
            parameters << QString::fromLatin1(method.parameterTypes().at(p) + ' '
                                              + method.parameterNames().at(p));
        lines << QStringLiteral("%1%2 %3 %4(%5)")
                     .arg(access[method.access()], kinds[method.methodType()], method.typeName(),
                          method.name(), parameters.join(", "));
    }
    for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
        const QMetaProperty property = meta.property(i);
        QString line = QStringLiteral("property %1 %2").arg(property.typeName(), property.name());
        if (property.isReadable())
            line += QStringLiteral(" read");
        if (property.isWritable())
            line += QStringLiteral(" write");
        if (property.isResettable())
            line += QStringLiteral(" reset");
        if (property.hasNotifySignal())
            line += QStringLiteral(" notify=") + property.notifySignal().name();
        if (property.isConstant())
            line += QStringLiteral(" constant");
        if (property.isFinal())
            line += QStringLiteral(" final");
        if (!property.isScriptable() || !property.isStored() || !property.isDesignable())
            line += QStringLiteral(" hidden");
        lines << line;
    }
    if (meta.classInfoCount() > meta.classInfoOffset() || meta.constructorCount() > 0
        || meta.enumeratorCount() > meta.enumeratorOffset())
        lines << QStringLiteral("more");
    return lines;
}
