// Controls are known by their numeric id, as the pages' texts name them: every control's objectName
// is its id in decimal. Pages and tests find controls the same way.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

// Gives control its id and returns it, so that building and naming read as one step.
template <class T>
T* SetControlId(T* pControl, int nId)
{
    pControl->setObjectName(QString::number(nId));
    return pControl;
}

inline int ControlId(const QObject* pControl)
{
    bool ok = false;
    const int nId = pControl->objectName().toInt(&ok);
    return ok ? nId : 0;
}

// The control with id below root (root itself included), or null when there is none or it is not a T.
template <class T = QWidget>
T* FindControl(const QObject* pRoot, int nId)
{
    if (!pRoot)
        return nullptr;
    const QString name = QString::number(nId);
    if (pRoot->objectName() == name)
        if (auto* p = qobject_cast<T*>(const_cast<QObject*>(pRoot)))
            return p;
    return pRoot->findChild<T*>(name);
}
