#pragma once
// The words in the editor's open text field. One per text entry, shared by
// the new-text field and the bubble field: the field writes it as the user
// types, the text entry reads it when the entry is committed.
#include <QObject>
#include <QString>

class TextEntryBuffer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const QString& text() const { return m_text; }
    void setText(const QString& text);

Q_SIGNALS:
    void textChanged();

private:
    QString m_text;
};
