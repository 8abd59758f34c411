#pragma once
// The interface language: "auto" (follow the system) or one of the supported
// languages, each named in its own language. Starts from the stored choice;
// only a different choice is handed to the program's localizer, which stores
// it and switches every open view.
#include <QComboBox>

class Localizer;
class UserDefaults;

class LanguagePicker : public QComboBox {
    Q_OBJECT
public:
    // defaults: where localizer keeps the choice.
    LanguagePicker(Localizer& localizer, UserDefaults& defaults, QWidget* parent = nullptr);

    // "auto" or a language code.
    QString selection() const { return m_selection; }
    void choose(const QString& choice);

private:
    Localizer& m_localizer;
    QString m_selection;
};
