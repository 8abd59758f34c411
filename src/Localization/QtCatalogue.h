#pragma once
// Qt's own texts in the interface language: the standard dialogs' buttons and
// labels ("Abbrechen", "Suchen in:", "Dateityp:"), the text fields' context
// menu. Loads Qt's catalogue qtbase_<language> (Debian qt6-translations-l10n)
// from Qt's translations folder into the application and swaps it on every
// language change. Lives while the application does.
#include <QObject>
#include <QString>

class Localizer;
class QTranslator;

class QtCatalogue : public QObject {
    Q_OBJECT
public:
    // folder: where the catalogues are (Qt's translations folder by default).
    explicit QtCatalogue(Localizer& localizer, const QString& folder = defaultFolder(), QObject* parent = nullptr);
    ~QtCatalogue() override;

    // The language whose catalogue is installed; empty when none is (none
    // found for the language, or the folder is missing).
    QString installedLanguage() const { return m_installed; }

    static QString defaultFolder();

private:
    void load(const QString& lang);

    QString m_folder;
    QTranslator* m_translator = nullptr;
    QString m_installed;
};
