#include "Editor/EditorTextRecognition.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/EditorResults.h"
#include "Editor/EditorViewModel.h"
#include "Editor/OCRService.h"

EditorTextRecognition::EditorTextRecognition(const EditorViewModel& vm, const EditorResults& results,
                                             EditorEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_vm(vm)
    , m_results(results)
    , m_environment(environment)
{
}

void EditorTextRecognition::setOcrText(const std::optional<QString>& text)
{
    if (text == m_ocrText)
        return;
    m_ocrText = text;
    Q_EMIT ocrChanged();
}

void EditorTextRecognition::runOCR()
{
    const QImage flat = m_results.render();
    if (flat.isNull())
        return;
    // Only the newest recognition may set the result and the clipboard: an
    // older one reads an outdated picture.
    const quint64 generation = ++m_ocrGeneration;
    m_isRunningOCR = true;
    Q_EMIT ocrChanged();
    const auto finished = [this, generation](const QString& recognised) {
        if (generation != m_ocrGeneration)
            return;
        m_isRunningOCR = false;
        const QString text = recognised.trimmed();
        m_ocrText = text;
        Q_EMIT ocrChanged();
        if (!text.isEmpty())
            m_environment.copyText(text);
    };
    if (OCRService* ocr = m_environment.textRecognition())
        ocr->recognizeText(flat, this, finished);
    else
        finished({});
}

void EditorTextRecognition::copyText(const QString& text)
{
    m_environment.copyText(text);
}

void EditorTextRecognition::setLiveTextEnabled(bool enabled)
{
    if (enabled == m_liveTextEnabled)
        return;
    m_liveTextEnabled = enabled;
    // Every new picture is read while Live Text is on.
    if (enabled)
        connect(&m_vm, &EditorViewModel::imageChanged, this, &EditorTextRecognition::readLiveTextIfNeeded,
                Qt::UniqueConnection);
    Q_EMIT liveTextChanged();
    readLiveTextIfNeeded();
}

void EditorTextRecognition::readLiveTextIfNeeded()
{
    const QImage& picture = m_vm.original();
    const qint64 key = picture.cacheKey();
    if (m_liveTextImageKey != key && !m_liveTextLines.isEmpty()) {
        // Lines read from another picture do not fit this one.
        m_liveTextLines.clear();
        Q_EMIT liveTextChanged();
    }
    // Each picture is read once, even when that failed; reading starts only
    // once Live Text is asked for.
    if (!m_liveTextEnabled || m_liveTextImageKey == key || picture.isNull())
        return;
    m_liveTextImageKey = key;
    const quint64 generation = ++m_liveTextGeneration;
    OCRService* ocr = m_environment.textRecognition();
    if (!ocr)
        return;
    ocr->recognizeLines(picture, this, [this, generation, key](const QList<RecognizedLine>& lines) {
        // A newer picture's reading has started, or the picture changed: stale.
        if (generation != m_liveTextGeneration || key != m_vm.original().cacheKey())
            return;
        m_liveTextLines = lines;
        Q_EMIT liveTextChanged();
    });
}
