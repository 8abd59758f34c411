#pragma once
// The interface language: "auto" (follow the system) or one of the supported
// languages, each named in its own language. Starts from the stored choice;
// only a different choice is handed to the translation lookup, which stores it
// and switches every open view.
#include <QComboBox>

class UserDefaults;

class LanguagePicker : public QComboBox {
    Q_OBJECT
public:
    explicit LanguagePicker(UserDefaults& defaults, QWidget* parent = nullptr);

    // "auto" or a language code.
    QString selection() const { return m_selection; }
    void choose(const QString& choice);

private:
    QString m_selection;
};
