#pragma once
// The translation lookup: the German text is the key, translations come from
// the resource strings.json (language code -> German text -> translation).
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class UserDefaults;

// Marks a German text that is stored now and passed through Localizer::t where
// it is shown, so the translation table check finds it.
#define ZENTU_TEXT(text) QStringLiteral(text)

// The program's localizer is installed with a Scope, the way Qt installs its
// translators: the static t and language look up over it, and a change of its
// language reaches the views as Qt's QEvent::LanguageChange (handled in their
// changeEvent). Whoever holds a localizer itself (the language picker, Qt's
// catalogue) changes it and hears of changes through langChanged.
//
// Threads: the lookup (t, language, translate, lang) answers on any thread, so
// text recognition, frame grabs and other workers may word their errors.
// Everything else (setLanguage, the Scope, the langChanged connections)
// belongs to the main thread, where the views that follow the language live;
// a call from another thread is logged, and a language change from there is
// carried over to the main thread before anyone hears of it.
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

    // Installs a localizer as the program's for as long as it lives, then puts
    // back the one before: a test that returns early leaves none behind that
    // points at its gone defaults. A lookup under way on a worker keeps the
    // localizer it started with alive. The program installs one at start with
    // the user's stored choice; until then (and in programs that install none)
    // the lookup follows the system's preferred languages.
    class Scope {
    public:
        explicit Scope(std::shared_ptr<Localizer> localizer);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        std::shared_ptr<Localizer> m_previous;
    };

    // The German text in the installed localizer's language (the text itself
    // when untranslated). Any thread.
    static QString t(const QString& german);
    // The installed localizer's language code. Any thread.
    static QString language();
    QString translate(const QString& german) const;

    // Any thread.
    QString lang() const;
    // choice: "auto" or a language code; stored as given, then resolved.
    // Emits langChanged each time; the installed localizer also sends Qt's
    // LanguageChange to the application when the language is a different one.
    void setLanguage(const QString& choice);
    QString resolve(const QString& choice) const;
    static QString resolve(const QString& choice, const QStringList& preferredLanguages);

    static const QStringList& supported();
    static const QHash<QString, QString>& displayName();
    static const QHash<QString, QString>& autoLabel();

Q_SIGNALS:
    void langChanged(const QString& lang);

private:
    // False, after logging, when called off the localizer's own thread.
    bool onOwnThread(const char* operation) const;
    bool isInstalled() const;

    UserDefaults* m_defaults = nullptr;
    PreferredLanguages m_preferredLanguages;
    // Read-only once loaded.
    const QHash<QString, QHash<QString, QString>> m_tables;
    mutable QMutex m_langMutex;
    QString m_lang = QStringLiteral("de"); // guarded by m_langMutex
};
