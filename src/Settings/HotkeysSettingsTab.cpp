#include "Settings/HotkeysSettingsTab.h"

#include "Hotkeys/HotkeyManager.h"
#include "Localization/Localizer.h"
#include "Platform/Beeper.h"
#include "Settings/HotkeyRecorderView.h"
#include "Storage/SettingsManager.h"
#include "Ui/FormSection.h"
#include "Ui/GroupedForm.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

HotkeysSettingsTab::HotkeysSettingsTab(SettingsManager& settings, HotkeyManager& hotkeys, Beeper& beeper,
                                       QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_hotkeys(hotkeys)
    , m_beeper(beeper)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new GroupedForm(this);
    layout->addWidget(form);
    FormSection* section = form->addSection();

    for (const HotkeyAction action : allCases<HotkeyAction>()) {
        auto* row = new QWidget;
        row->setObjectName(rawValue(action));
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(8);
        auto* text = new QLabel(label(action), row);
        text->setFont(Theme::font(Theme::bodySize));
        h->addWidget(text, 1);

        auto* recorder = new HotkeyRecorderView(m_settings.hotkey(action), m_beeper, row);
        recorder->setFixedSize(150, 24);
        recorder->setAccessibleDescription(label(action));
        recorder->refusalReason = [this, action](const HotkeyCombo& combo) { return refusalReason(action, combo); };
        recorder->onRefused = [this](const QString& why) { showHint(why); };
        // A note belongs to the recording it answered: gone when a recording
        // starts or ends (Escape, a click elsewhere, another row).
        recorder->onRecordingChanged = [this](bool) { showHint({}); };
        recorder->onChange = [this, action](const HotkeyCombo& combo) { apply(action, combo); };
        h->addWidget(recorder);

        auto* reset = new QToolButton(row);
        const QString help = Localizer::t(QStringLiteral("Auf Standard zurücksetzen"));
        reset->setIcon(IconRegistry::icon(QStringLiteral("arrow.counterclockwise"), 14, Theme::primary(reset)));
        reset->setToolTip(help);
        reset->setAccessibleName(help);
        reset->setAccessibleDescription(label(action));
        reset->setFixedSize(28, 24);
        connect(reset, &QToolButton::clicked, this, [this, action] { this->reset(action); });
        h->addWidget(reset);

        section->addRow(row);
        m_recorders.insert(action, recorder);
        m_resetButtons.insert(action, reset);
    }
    section->setFooter(Localizer::t(
        QStringLiteral("Auf das Feld klicken und die gewünschte Tastenkombination drücken. ESC bricht ab.")));
    m_hint = FormSection::makeCaption(QString(), section);
    Theme::setForeground(m_hint, Theme::red());
    m_hint->setContentsMargins(2, 0, 2, 0);
    m_hint->hide();
    section->layout()->addWidget(m_hint);

    connect(&m_settings, &SettingsManager::settingsChanged, this, &HotkeysSettingsTab::refresh);
}

QString HotkeysSettingsTab::hint() const { return m_hint->isHidden() ? QString() : m_hint->text(); }

void HotkeysSettingsTab::showHint(const QString& text)
{
    m_hint->setText(text);
    m_hint->setAccessibleName(text);
    m_hint->setVisible(!text.isEmpty());
    // Said every time, also when the same note comes again.
    if (!text.isEmpty()) {
        QAccessibleEvent alert(m_hint, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

QString HotkeysSettingsTab::refusalReason(HotkeyAction action, const HotkeyCombo& combo) const
{
    // The hotkey manager would not grab it: it would take a character away
    // from every application.
    if (!HotkeyManager::isSafeGlobalCombo(combo))
        return Localizer::t(QStringLiteral(
            "Nur mit Shift geht das nicht als globaler Hotkey – bitte Super, Ctrl oder Alt dazunehmen."));
    // Only one action can own a combination.
    for (const HotkeyAction other : allCases<HotkeyAction>())
        if (other != action && m_settings.hotkey(other) == combo)
            return Localizer::t(QStringLiteral("Diese Kombination gehört schon zu „%1“.")).arg(label(other));
    return {};
}

void HotkeysSettingsTab::apply(HotkeyAction action, const std::optional<HotkeyCombo>& combo)
{
    const auto& stored = m_settings.settings().hotkeys;
    const auto found = stored.constFind(rawValue(action));
    const std::optional<HotkeyCombo> previous
        = found != stored.constEnd() ? std::optional<HotkeyCombo>(*found) : std::nullopt;

    if (combo)
        m_settings.setHotkey(*combo, action);
    else
        m_settings.resetHotkey(action);
    m_hotkeys.registerAll(m_settings);
    const HotkeyCombo wanted = m_settings.hotkey(action);
    if (m_hotkeys.isRegistered(action, wanted)) {
        showHint({});
        return;
    }
    // Held by the desktop or another program: keep the combination that worked.
    if (previous)
        m_settings.setHotkey(*previous, action);
    else
        m_settings.resetHotkey(action);
    m_hotkeys.registerAll(m_settings);
    m_beeper.beep();
    showHint(Localizer::t(QStringLiteral("%1 ist schon anderweitig belegt und wurde nicht übernommen."))
                 .arg(wanted.displayString()));
}

void HotkeysSettingsTab::reset(HotkeyAction action)
{
    const QString why = refusalReason(action, m_settings.defaultHotkey(action));
    if (!why.isEmpty()) {
        m_beeper.beep();
        showHint(why);
        return;
    }
    apply(action, std::nullopt);
}

void HotkeysSettingsTab::refresh()
{
    for (auto it = m_recorders.cbegin(); it != m_recorders.cend(); ++it)
        it.value()->setCombo(m_settings.hotkey(it.key()));
}
