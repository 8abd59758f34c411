#include "Settings/GeneralSettingsTab.h"

#include "Localization/Localizer.h"
#include "Text/ButtonText.h"
#include "Platform/FolderChooser.h"
#include "Settings/LanguagePicker.h"
#include "Storage/SettingsManager.h"
#include "Ui/FormSection.h"
#include "Ui/GroupedForm.h"
#include "Ui/IconRegistry.h"
#include "Ui/SegmentedControl.h"
#include "Ui/Stepper.h"
#include "Ui/Theme.h"
#include "Ui/ToggleSwitch.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace {

QLabel* errorCaption(FormSection* section)
{
    QLabel* label = section->addCaption(QString());
    Theme::setForeground(label, Theme::red());
    label->hide();
    return label;
}

QWidget* hbox(std::initializer_list<QWidget*> widgets, int spacing = 8)
{
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(spacing);
    for (QWidget* w : widgets) {
        if (w)
            h->addWidget(w);
        else
            h->addStretch(1);
    }
    return row;
}

QLabel* bodyText(const QString& text)
{
    auto* label = new QLabel(text);
    label->setFont(Theme::font(Theme::bodySize));
    return label;
}

} // namespace

GeneralSettingsTab::GeneralSettingsTab(SettingsManager& settings, UserDefaults& defaults, Localizer& localizer,
                                       FolderChooser& folderChooser, AppFolders folders, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_folderChooser(folderChooser)
    , m_folders(std::move(folders))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new GroupedForm(this);
    layout->addWidget(form);

    // Language.
    FormSection* language = form->addSection(Localizer::t(QStringLiteral("Sprache")));
    auto* globe = new QLabel;
    globe->setPixmap(IconRegistry::pixmap(QStringLiteral("globe"), 15, Theme::secondary(globe), devicePixelRatioF()));
    m_language = new LanguagePicker(localizer, defaults);
    m_language->setObjectName(QStringLiteral("languagePicker"));
    m_language->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    language->addRow(hbox({globe, m_language}));

    // Save folder.
    FormSection* folder = form->addSection(Localizer::t(QStringLiteral("Speicherort für Screenshots")));
    m_path = new QLabel;
    m_path->setObjectName(QStringLiteral("pathLabel"));
    m_path->setFont(Theme::font(Theme::bodySize));
    Theme::setForeground(m_path, Theme::secondary(m_path));
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_path->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_path->installEventFilter(this);
    m_changeFolder = new QPushButton(ButtonText::escaped(Localizer::t(QStringLiteral("Ändern …"))));
    m_changeFolder->setObjectName(QStringLiteral("changeFolderButton"));
    m_changeFolder->setAccessibleName(Localizer::t(QStringLiteral("Ändern …")));
    auto* folderRow = hbox({m_path, m_changeFolder});
    static_cast<QHBoxLayout*>(folderRow->layout())->setStretch(0, 1);
    folder->addRow(folderRow);
    m_folderError = errorCaption(folder);
    m_folderError->setObjectName(QStringLiteral("folderError"));

    // Capture.
    FormSection* capture = form->addSection(Localizer::t(QStringLiteral("Aufnahme")));
    m_cursor = capture->addToggle(Localizer::t(QStringLiteral("Mauszeiger im Screenshot anzeigen")));
    m_cursor->setObjectName(QStringLiteral("cursorToggle"));
    m_stamp = capture->addToggle(Localizer::t(QStringLiteral("Datum & Uhrzeit ins Bild stempeln")));
    m_stamp->setObjectName(QStringLiteral("stampToggle"));
    capture->addCaption(Localizer::t(QStringLiteral("Blendet dezent Datum und Uhrzeit unten rechts ein.")));
    const QString delayLabel = Localizer::t(QStringLiteral("Verzögerung (Timer)"));
    m_delayValue = bodyText(QString());
    m_delayValue->setObjectName(QStringLiteral("delayValue"));
    Theme::setForeground(m_delayValue, Theme::secondary(m_delayValue));
    m_delay = new Stepper;
    m_delay->setObjectName(QStringLiteral("delayStepper"));
    m_delay->setRange(0, maximumDelay);
    m_delay->valueText = &GeneralSettingsTab::delayText;
    m_delay->setAccessibleName(delayLabel);
    capture->addRow(hbox({bodyText(delayLabel), nullptr, m_delayValue, m_delay}));
    capture->addCaption(Localizer::t(QStringLiteral(
        "Gilt für „Bildschirm“ und „Fenster“: Zentu.it wartet die eingestellte Zeit, bevor ausgelöst wird.")));

    // After the capture.
    FormSection* after = form->addSection(Localizer::t(QStringLiteral("Nach der Aufnahme")));
    m_copy = after->addToggle(Localizer::t(QStringLiteral("Automatisch in Zwischenablage kopieren")));
    m_copy->setObjectName(QStringLiteral("copyToggle"));
    m_editor = after->addToggle(Localizer::t(QStringLiteral("Editor nach Screenshot öffnen")));
    m_editor->setObjectName(QStringLiteral("editorToggle"));
    // The format names are shown as written, in every language.
    m_format = new SegmentedControl({QStringLiteral("PNG"), QStringLiteral("JPEG")});
    m_format->setObjectName(QStringLiteral("formatPicker"));
    m_format->setFixedSize(m_format->sizeHint());
    const QString formatLabel = Localizer::t(QStringLiteral("Bildformat"));
    m_format->setAccessibleName(formatLabel);
    auto* formatText = bodyText(formatLabel);
    auto* formatRow = hbox({formatText, nullptr, m_format});
    static_cast<QHBoxLayout*>(formatRow->layout())->insertSpacing(1, 12);
    after->addRow(formatRow);

    // Start.
    FormSection* start = form->addSection(Localizer::t(QStringLiteral("Start")));
    m_launch = start->addToggle(Localizer::t(QStringLiteral("Bei Anmeldung starten")));
    m_launch->setObjectName(QStringLiteral("launchToggle"));
    m_launchError = errorCaption(start);
    m_launchError->setObjectName(QStringLiteral("launchError"));
    // A build of the program never starts at login: the switch stays off and says why.
    if (!m_settings.launchAtLoginAvailable()) {
        m_launch->setEnabled(false);
        m_launchUnavailable = start->addCaption(Localizer::t(
            QStringLiteral("Startet nur als installiertes Programm bei der Anmeldung: dieses läuft aus einem Build-Ordner.")));
        m_launchUnavailable->setObjectName(QStringLiteral("launchUnavailable"));
    }

    // User changes (clicked, never the programmatic updates of refresh()).
    auto field = [this](ToggleSwitch* toggle, bool AppSettings::*member) {
        connect(toggle, &QAbstractButton::clicked, this,
                [this, member](bool on) { m_settings.update([&](AppSettings& s) { s.*member = on; }); });
    };
    field(m_cursor, &AppSettings::showCursorInScreenshot);
    field(m_stamp, &AppSettings::stampTimestamp);
    field(m_copy, &AppSettings::autoCopyToPasteboard);
    field(m_editor, &AppSettings::openEditorAfterCapture);
    connect(m_delay, &Stepper::valueChanged, this, [this](int seconds) {
        m_delayValue->setText(delayText(seconds));
        if (!m_refreshing && m_settings.settings().captureDelaySeconds != seconds)
            m_settings.update([seconds](AppSettings& s) { s.captureDelaySeconds = seconds; });
    });
    connect(m_format, &SegmentedControl::currentIndexChanged, this, [this](int index) {
        const ImageFileFormat format = allCases<ImageFileFormat>().at(qBound(0, index, 1));
        if (!m_refreshing && m_settings.settings().imageFormat != format)
            m_settings.update([format](AppSettings& s) { s.imageFormat = format; });
    });
    connect(m_launch, &QAbstractButton::clicked, this, [this](bool on) {
        m_launchError->hide();
        m_settings.setLaunchAtLogin(on);
    });
    connect(&m_settings, &SettingsManager::launchAtLoginFailed, this, [this](const QString& error) {
        m_launchError->setText(
            Localizer::t(QStringLiteral("Start bei Anmeldung konnte nicht geändert werden: %1")).arg(error));
        m_launchError->show();
    });
    connect(m_changeFolder, &QPushButton::clicked, this, &GeneralSettingsTab::chooseDirectory);
    connect(&m_settings, &SettingsManager::settingsChanged, this, &GeneralSettingsTab::refresh);
    refresh();
}

QString GeneralSettingsTab::delayText(int seconds)
{
    if (seconds == 0)
        return Localizer::t(QStringLiteral("Sofort"));
    return QString::number(seconds) + QStringLiteral(" s");
}

void GeneralSettingsTab::refresh()
{
    const QScopedValueRollback<bool> guard(m_refreshing, true);
    const AppSettings& s = m_settings.settings();
    m_fullPath = m_folders.exportDirectory(s);
    showPath();
    m_cursor->setChecked(s.showCursorInScreenshot);
    m_stamp->setChecked(s.stampTimestamp);
    // A stored value outside the range is shown at the nearest end.
    const int delay = int(qBound(qint64(0), s.captureDelaySeconds, qint64(maximumDelay)));
    m_delay->setValue(delay);
    m_delayValue->setText(delayText(m_delay->value()));
    m_copy->setChecked(s.autoCopyToPasteboard);
    m_editor->setChecked(s.openEditorAfterCapture);
    m_format->setCurrentIndex(s.imageFormat == ImageFileFormat::jpeg ? 1 : 0);
    m_launch->setChecked(s.launchAtLogin);
}

void GeneralSettingsTab::showPath()
{
    const int width = qMax(40, m_path->width());
    m_path->setText(m_path->fontMetrics().elidedText(m_fullPath, Qt::ElideMiddle, width));
    m_path->setToolTip(m_fullPath);
}

bool GeneralSettingsTab::eventFilter(QObject* watched, QEvent* e)
{
    // The path is cut to the room the label gets.
    if (watched == m_path && e->type() == QEvent::Resize)
        showPath();
    return QWidget::eventFilter(watched, e);
}

void GeneralSettingsTab::chooseDirectory()
{
    const QString start = m_folders.exportDirectory(m_settings.settings());
    const std::optional<QString> chosen
        = m_folderChooser.chooseFolder(window(), Localizer::t(QStringLiteral("Speicherort für Screenshots")), start,
                                       Localizer::t(QStringLiteral("Auswählen")));
    if (!chosen)
        return;
    const QFileInfo info(*chosen);
    if (!info.isDir() || !info.isWritable()) {
        // Screenshots saved there would be lost: keep the folder that works.
        m_folderError->setText(
            Localizer::t(QStringLiteral("In diesen Ordner kann Zentu.it nicht schreiben: %1")).arg(*chosen));
        m_folderError->show();
        return;
    }
    m_folderError->hide();
    const QString path = *chosen;
    m_settings.update([&path](AppSettings& s) { s.saveDirectoryPath = path; });
}
