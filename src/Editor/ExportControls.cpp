#include "Editor/ExportControls.h"

#include "Editor/EditorResults.h"
#include "Editor/EditorTextRecognition.h"
#include "Editor/ResultSharing.h"
#include "Editor/ShareButton.h"
#include "Editor/ToggleChip.h"
#include "Editor/ToolbarIconButton.h"
#include "Localization/Localizer.h"
#include "Storage/Storage.h"
#include "Ui/TooltipHost.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QShortcut>

namespace {
ToolbarIconButton* iconButton(const QString& symbol, QWidget* parent)
{
    return new ToolbarIconButton(symbol, QSize(28, 22), parent);
}
} // namespace

ExportControls::ExportControls(EditorResults& results, ResultSharing& sharing, EditorTextRecognition& recognition,
                               QWidget* parent)
    : QWidget(parent)
    , m_results(results)
    , m_recognition(recognition)
    , m_liveText(ToggleChip::withIcon(QString::fromLatin1(liveTextSymbol), this))
    , m_ocr(iconButton(QStringLiteral("text.viewfinder"), this))
    , m_pin(iconButton(QStringLiteral("pin"), this))
    , m_share(new ShareButton([&sharing] { return sharing.shareItems(); },
                              [&sharing](ShareTarget target, const QString& path) { sharing.shareFile(target, path); },
                              this))
    , m_copy(iconButton(QStringLiteral("doc.on.doc"), this))
    , m_save(iconButton(QStringLiteral("square.and.arrow.down"), this))
{
    m_save->setObjectName(QStringLiteral("saveButton"));
    m_copy->setObjectName(QStringLiteral("copyButton"));
    m_share->setObjectName(QStringLiteral("shareButton"));
    m_pin->setObjectName(QStringLiteral("pinButton"));
    m_ocr->setObjectName(QStringLiteral("ocrButton"));
    m_liveText->setObjectName(QStringLiteral("liveTextToggle"));
    m_save->setProminent(true);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (QWidget* w : {static_cast<QWidget*>(m_liveText), static_cast<QWidget*>(m_ocr), static_cast<QWidget*>(m_pin),
                       static_cast<QWidget*>(m_share), static_cast<QWidget*>(m_copy), static_cast<QWidget*>(m_save)})
        row->addWidget(w);

    connect(m_liveText, &QAbstractButton::toggled, &recognition, &EditorTextRecognition::setLiveTextEnabled);
    connect(m_ocr, &QAbstractButton::clicked, &recognition, &EditorTextRecognition::runOCR);
    connect(m_pin, &QAbstractButton::clicked, this, [&results] { results.pinResult(); });
    connect(m_copy, &QAbstractButton::clicked, this, [&results] { results.copyResult(); });
    connect(m_save, &QAbstractButton::clicked, this, &ExportControls::save);
    // Ctrl+S saves wherever the focus is in the editor window.
    auto* saveKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), m_save);
    saveKey->setContext(Qt::WindowShortcut);
    connect(saveKey, &QShortcut::activated, this, &ExportControls::save);

    connect(&recognition, &EditorTextRecognition::liveTextChanged, this, &ExportControls::sync);
    connect(&recognition, &EditorTextRecognition::ocrChanged, this, &ExportControls::sync);
    retranslate();
}

QString ExportControls::suggestedSaveName(const QDateTime& now)
{
    return Storage::screenshotStem(now, false) + QStringLiteral(".png");
}

void ExportControls::save()
{
    m_results.saveResult(suggestedSaveName(QDateTime::currentDateTime()));
}

void ExportControls::sync()
{
    {
        const QSignalBlocker quiet(m_liveText);
        m_liveText->setChecked(m_recognition.liveTextEnabled());
    }
    const bool running = m_recognition.isRunningOCR();
    m_ocr->setEnabled(!running);
    m_ocr->setAccessibleName(running ? Localizer::t(QStringLiteral("Erkenne …"))
                                     : Localizer::t(QStringLiteral("Text (OCR)")));
}

void ExportControls::retranslate()
{
    const QString liveText = Localizer::t(QStringLiteral("Text wählen"));
    m_liveText->setAccessibleName(liveText);
    gooeyTip(m_liveText, liveText);
    gooeyTip(m_ocr, QStringLiteral("OCR")); // the same in every language
    m_pin->setName(Localizer::t(QStringLiteral("Anheften")));
    m_copy->setName(Localizer::t(QStringLiteral("Kopieren")));
    m_save->setName(Localizer::t(QStringLiteral("Speichern")));
    sync();
}

void ExportControls::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(e);
}
