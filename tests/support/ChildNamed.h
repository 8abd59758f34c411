#pragma once
// A view's control looked up by its object name, the way a user finds it by
// its place: views keep their controls to themselves. A control that is
// missing or of another type ends the test with a message naming both.
#include <QByteArray>
#include <QLatin1StringView>
#include <QObject>
#include <QtGlobal>
#include <typeinfo>

template <class T>
T* childNamed(const QObject& owner, const char* name)
{
    QObject* found = owner.findChild<QObject*>(QLatin1StringView(name));
    if (auto* typed = dynamic_cast<T*>(found))
        return typed;
    qFatal("%s \"%s\" has no control named \"%s\" of type %s%s", owner.metaObject()->className(),
           qPrintable(owner.objectName()), name, typeid(T).name(),
           found ? QByteArray(" (there is a ").append(found->metaObject()->className()).append(")").constData() : "");
}
