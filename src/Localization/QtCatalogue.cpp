#include "Localization/QtCatalogue.h"

#include "Localization/Localizer.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QtCatalogue::QtCatalogue(Localizer& localizer, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
{
    load(localizer.lang());
    connect(&localizer, &Localizer::langChanged, this, &QtCatalogue::load);
}

QtCatalogue::~QtCatalogue()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator);
}

QString QtCatalogue::defaultFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

void QtCatalogue::load(const QString& lang)
{
    if (lang == m_installed && m_translator)
        return;
    // The new catalogue goes in before the old one goes out, so no window is
    // ever redrawn half in Qt's English.
    auto* next = new QTranslator(this);
    // "zh" finds qtbase_zh_CN through the locale's fallbacks.
    if (next->load(QLocale(lang), QStringLiteral("qtbase"), QStringLiteral("_"), m_folder)) {
        QCoreApplication::installTranslator(next);
    } else {
        delete next;
        next = nullptr;
    }
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator);
        delete m_translator;
    }
    m_translator = next;
    m_installed = next ? lang : QString();
}
