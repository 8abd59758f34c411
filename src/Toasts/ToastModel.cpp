#include "Toasts/ToastModel.h"

void ToastModel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    Q_EMIT changed();
}

void ToastModel::setSystemImage(const QString& name)
{
    if (name == m_systemImage)
        return;
    m_systemImage = name;
    Q_EMIT changed();
}
