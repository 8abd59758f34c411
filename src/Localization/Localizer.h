#pragma once
// The translation lookup: the German text is the key, translations come from
// the resource strings.json (language code -> German text -> translation).
#include <QHash>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class UserDefaults;

// Marks a German text that is stored now and passed through Localizer::t where
// it is shown, so the translation table check finds it.
#define ZENTU_TEXT(text) QStringLiteral(text)

class Localizer : public QObject {
    Q_OBJECT
public:
    using PreferredLanguages = std::function<QStringList()>;

    // tablePath: the strings.json to load (the built-in resource by default).
    Localizer(UserDefaults& defaults, PreferredLanguages preferredLanguages,
              const QString& tablePath = QStringLiteral(":/strings.json"));
    // Without a stored choice: follows the preferred languages, and a choice
    // made later lasts until the process ends.
    explicit Localizer(PreferredLanguages preferredLanguages);

    // The one instance of the program, installed at start with the user's
    // stored choice. Until then (and in programs that install none) one that
    // follows the system's preferred languages.
    static Localizer& shared();

    // Installs a localizer as the program's for as long as it lives, then puts
    // back the one before: a test that returns early leaves none behind that
    // points at its gone defaults.
    class Scope {
    public:
        explicit Scope(std::shared_ptr<Localizer> localizer);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        std::shared_ptr<Localizer> m_previous;
    };

    // The German text in the current language (the text itself when untranslated).
    static QString t(const QString& german) { return shared().translate(german); }
    QString translate(const QString& german) const;

    QString lang() const { return m_lang; }
    // choice: "auto" or a language code; stored as given, then resolved.
    void setLanguage(const QString& choice);
    QString resolve(const QString& choice) const;
    static QString resolve(const QString& choice, const QStringList& preferredLanguages);

    static const QStringList& supported();
    static const QHash<QString, QString>& displayName();
    static const QHash<QString, QString>& autoLabel();

    static constexpr const char* languageKey = "app.language";

Q_SIGNALS:
    void langChanged(const QString& lang);

private:
    UserDefaults* m_defaults = nullptr;
    PreferredLanguages m_preferredLanguages;
    QHash<QString, QHash<QString, QString>> m_tables;
    QString m_lang = QStringLiteral("de");
};
