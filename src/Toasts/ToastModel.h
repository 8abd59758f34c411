#pragma once
// What the toast shows: a text (already translated by the caller) and the name
// of a symbol.
#include <QObject>
#include <QString>

class ToastModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    QString text() const { return m_text; }
    QString systemImage() const { return m_systemImage; }
    void setText(const QString& text);
    void setSystemImage(const QString& name);

Q_SIGNALS:
    void changed();

private:
    QString m_text;
    QString m_systemImage = QStringLiteral("checkmark.circle.fill");
};
