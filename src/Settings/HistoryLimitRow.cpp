#include "Settings/HistoryLimitRow.h"

#include "Localization/Localizer.h"
#include "Ui/Theme.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace {
constexpr qint64 presets[] = {100, 200, 500, 0};
}

HistoryLimitRow::HistoryLimitRow(const QString& title, const QString& section, QWidget* parent)
    : QWidget(parent)
    , m_title(new QLabel(title, this))
    , m_picker(new QComboBox(this))
    , m_field(new QLineEdit(this))
{
    m_picker->setObjectName(QStringLiteral("picker"));
    m_field->setObjectName(QStringLiteral("customField"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    m_title->setFont(Theme::font(Theme::bodySize));
    row->addWidget(m_title, 1);

    // The numbers are shown as they are in every language.
    for (const qint64 preset : presets)
        m_picker->addItem(preset == 0 ? Localizer::t(QStringLiteral("Unbegrenzt")) : QString::number(preset),
                          QVariant::fromValue(preset));
    m_picker->addItem(Localizer::t(QStringLiteral("Benutzerdefiniert …")), QVariant::fromValue(qint64(customTag)));
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_picker->setAccessibleName(title);
    m_picker->setAccessibleDescription(section);
    row->addWidget(m_picker, 0, Qt::AlignVCenter);

    m_field->setFixedWidth(fieldWidth);
    m_field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_field->setPlaceholderText(QString());
    // Whole numbers of either sign, read in the user's locale.
    auto* validator = new QIntValidator(m_field);
    validator->setLocale(QLocale());
    m_field->setValidator(validator);
    m_field->setAccessibleName(title);
    m_field->setAccessibleDescription(section);
    m_field->installEventFilter(this);
    row->addWidget(m_field, 0, Qt::AlignVCenter);

    // activated: the user's choice only, never a programmatic selection.
    connect(m_picker, &QComboBox::activated, this, &HistoryLimitRow::choose);
    connect(m_field, &QLineEdit::editingFinished, this, &HistoryLimitRow::commitField);
    showValue();
}

bool HistoryLimitRow::isPreset(qint64 limit)
{
    return std::find(std::begin(presets), std::end(presets), limit) != std::end(presets);
}

bool HistoryLimitRow::isCustomMode() const { return !isPreset(m_value); }

void HistoryLimitRow::setValue(qint64 limit)
{
    if (limit == m_value && m_field->hasFocus() && m_field->isModified())
        return; // The user is typing: other settings changed, not this one.
    m_value = limit;
    showValue();
}

void HistoryLimitRow::showValue()
{
    const bool custom = isCustomMode();
    const int index = m_picker->findData(QVariant::fromValue(custom ? qint64(customTag) : m_value));
    m_picker->setCurrentIndex(index);
    m_field->setVisible(custom);
    if (custom) {
        m_field->setText(QLocale().toString(m_value));
        m_field->setModified(false);
    }
}

void HistoryLimitRow::choose(int index)
{
    const qint64 tag = m_picker->itemData(index).toLongLong();
    if (tag != customTag) {
        if (tag != m_value)
            commit(tag);
        return;
    }
    // Already custom: the number stays as it is.
    if (!isCustomMode())
        commit(customStart);
    else
        showValue();
}

void HistoryLimitRow::commitField()
{
    bool ok = false;
    const qint64 typed = QLocale().toLongLong(m_field->text().trimmed(), &ok);
    if (ok && typed != m_value)
        commit(typed);
    else
        showValue();
}

void HistoryLimitRow::commit(qint64 limit)
{
    m_value = limit;
    m_field->setModified(false);
    if (onCommit)
        onCommit(limit);
    showValue();
}

bool HistoryLimitRow::eventFilter(QObject* watched, QEvent* e)
{
    // Leaving the field with text that is no number yet ("", "-") does not
    // finish the edit in Qt: show the stored limit again instead.
    if (watched == m_field && e->type() == QEvent::FocusOut && !m_field->hasAcceptableInput())
        showValue();
    return QWidget::eventFilter(watched, e);
}
