#include "Settings/LanguagePicker.h"

#include "Localization/Localizer.h"
#include "Platform/SettingsKeys.h"
#include "Platform/UserDefaults.h"

LanguagePicker::LanguagePicker(Localizer& localizer, UserDefaults& defaults, QWidget* parent)
    : QComboBox(parent)
    , m_localizer(localizer)
    , m_selection(defaults.string(QString::fromLatin1(SettingsKeys::language)).value_or(QStringLiteral("auto")))
{
    const QString lang = m_localizer.lang();
    addItem(Localizer::autoLabel().value(lang, QStringLiteral("Automatic (system)")), QStringLiteral("auto"));
    insertSeparator(count());
    for (const QString& code : Localizer::supported())
        addItem(Localizer::displayName().value(code, code), code);
    // An unknown stored choice shows "auto", which is what it resolves to.
    const int index = findData(m_selection);
    setCurrentIndex(index >= 0 ? index : 0);
    setAccessibleName(Localizer::t(QStringLiteral("Sprache")));
    connect(this, &QComboBox::activated, this, [this](int index) { choose(itemData(index).toString()); });
}

void LanguagePicker::choose(const QString& choice)
{
    if (choice.isEmpty() || choice == m_selection)
        return;
    m_selection = choice;
    const int index = findData(choice);
    if (index >= 0 && index != currentIndex())
        setCurrentIndex(index);
    m_localizer.setLanguage(choice);
}
