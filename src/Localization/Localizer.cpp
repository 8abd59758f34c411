#include "Localization/Localizer.h"

#include "Platform/SettingsKeys.h"
#include "Platform/UserDefaults.h"
#include "Debug/DebugLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QThread>
#include <utility>

namespace {

QMutex installedMutex;
std::shared_ptr<Localizer>& installedSlot()
{
    static std::shared_ptr<Localizer> instance;
    return instance;
}

// The installed localizer, or the one following the system when none is; the
// copy keeps it alive while the caller uses it, whatever a Scope does meanwhile.
std::shared_ptr<Localizer> installed()
{
    QMutexLocker lock(&installedMutex);
    auto& instance = installedSlot();
    if (!instance) {
        instance = std::make_shared<Localizer>([] { return QLocale::system().uiLanguages(); });
        // Made by a worker's lookup, it still belongs to the main thread.
        if (QCoreApplication::instance() && instance->thread() != QCoreApplication::instance()->thread())
            instance->moveToThread(QCoreApplication::instance()->thread());
    }
    return instance;
}

// Any deviation from "object of objects of strings" leaves the tables empty.
QHash<QString, QHash<QString, QString>> loadTables(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
    if (!doc.isObject())
        return {};
    QHash<QString, QHash<QString, QString>> tables;
    const QJsonObject root = doc.object();
    for (auto lang = root.begin(); lang != root.end(); ++lang) {
        if (!lang.value().isObject())
            return {};
        QHash<QString, QString> table;
        const QJsonObject entries = lang.value().toObject();
        for (auto e = entries.begin(); e != entries.end(); ++e) {
            if (!e.value().isString())
                return {};
            table.insert(e.key(), e.value().toString());
        }
        tables.insert(lang.key(), table);
    }
    return tables;
}

} // namespace

Localizer::Localizer(UserDefaults& defaults, PreferredLanguages preferredLanguages, const QString& tablePath)
    : m_defaults(&defaults)
    , m_preferredLanguages(std::move(preferredLanguages))
    , m_tables(loadTables(tablePath))
{
    m_lang = resolve(m_defaults->string(QString::fromLatin1(SettingsKeys::language)).value_or(QStringLiteral("auto")));
}

Localizer::Localizer(PreferredLanguages preferredLanguages)
    : m_preferredLanguages(std::move(preferredLanguages))
    , m_tables(loadTables(QStringLiteral(":/strings.json")))
{
    m_lang = resolve(QStringLiteral("auto"));
}

QString Localizer::t(const QString& german)
{
    return installed()->translate(german);
}

QString Localizer::language()
{
    return installed()->lang();
}

bool Localizer::isInstalled() const
{
    QMutexLocker lock(&installedMutex);
    return installedSlot().get() == this;
}

bool Localizer::onOwnThread(const char* operation) const
{
    if (QThread::currentThread() == thread())
        return true;
    DebugLog::write(QStringLiteral("LOCALIZER: %1 außerhalb des Hauptthreads aufgerufen").arg(QLatin1String(operation)));
    return false;
}

Localizer::Scope::Scope(std::shared_ptr<Localizer> localizer)
{
    QMutexLocker lock(&installedMutex);
    m_previous = std::exchange(installedSlot(), std::move(localizer));
}

Localizer::Scope::~Scope()
{
    QMutexLocker lock(&installedMutex);
    installedSlot() = std::move(m_previous);
}

QString Localizer::translate(const QString& german) const
{
    const QString current = lang();
    if (current == QLatin1String("de"))
        return german;
    const auto table = m_tables.constFind(current);
    if (table == m_tables.constEnd())
        return german;
    return table->value(german, german);
}

QString Localizer::lang() const
{
    QMutexLocker lock(&m_langMutex);
    return m_lang;
}

void Localizer::setLanguage(const QString& choice)
{
    if (!onOwnThread("setLanguage")) {
        // The views that follow the language hear of it on their own thread.
        QMetaObject::invokeMethod(this, [this, choice] { setLanguage(choice); }, Qt::QueuedConnection);
        return;
    }
    if (m_defaults)
        m_defaults->setValue(QString::fromLatin1(SettingsKeys::language), choice);
    const QString resolved = resolve(choice);
    QString previous;
    {
        QMutexLocker lock(&m_langMutex);
        previous = std::exchange(m_lang, resolved);
    }
    // As installing a translator does: QApplication posts the event to every
    // window, and each passes it down to its children. A localizer that is
    // not the program's leaves the views alone.
    if (resolved != previous && isInstalled() && QCoreApplication::instance()) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    }
    Q_EMIT langChanged(resolved);
}

QString Localizer::resolve(const QString& choice) const
{
    return resolve(choice, m_preferredLanguages ? m_preferredLanguages() : QStringList());
}

QString Localizer::resolve(const QString& choice, const QStringList& preferredLanguages)
{
    if (choice != QLatin1String("auto") && supported().contains(choice))
        return choice;
    const QString first = preferredLanguages.isEmpty() ? QStringLiteral("en") : preferredLanguages.first();
    const QString code = first.left(2).toLower();
    return supported().contains(code) ? code : QStringLiteral("en");
}

const QStringList& Localizer::supported()
{
    static const QStringList codes{"de", "en", "fr", "tr", "ru", "it", "es", "zh", "ja"};
    return codes;
}

const QHash<QString, QString>& Localizer::displayName()
{
    static const QHash<QString, QString> names{
        {"de", "Deutsch"}, {"en", "English"}, {"fr", "Français"},
        {"tr", "Türkçe"}, {"ru", "Русский"}, {"it", "Italiano"},
        {"es", "Español"}, {"zh", "中文"}, {"ja", "日本語"}};
    return names;
}

const QHash<QString, QString>& Localizer::autoLabel()
{
    static const QHash<QString, QString> labels{
        {"de", "Automatisch (System)"}, {"en", "Automatic (system)"},
        {"fr", "Automatique (système)"}, {"tr", "Otomatik (sistem)"},
        {"ru", "Автоматически (система)"}, {"it", "Automatico (sistema)"},
        {"es", "Automático (sistema)"}, {"zh", "自动（系统）"}, {"ja", "自動（システム）"}};
    return labels;
}
