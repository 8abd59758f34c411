#include "Editor/EditorRootView.h"

#include "Editor/AnnotationCanvasView.h"
#include "Editor/DeleteResetControls.h"
#include "Editor/EditorSession.h"
#include "Editor/ExportControls.h"
#include "Editor/HistoryControls.h"
#include "Editor/KeyCommandBridge.h"
#include "Editor/OCRResultView.h"
#include "Editor/ZoomControls.h"
#include "Editor/ToolbarSlot.h"
#include "Ui/ColorPanelController.h"
#include "Ui/TimerDelayScheduler.h"
#include "Ui/TooltipHost.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

EditorRootView::EditorRootView(EditorSession& session, QWidget* parent, std::optional<EditorToolbarServices> services)
    : QWidget(parent)
    , m_session(session)
    , m_vm(session.model())
{
    EditorViewModel& vm = m_vm;
    if (!services) {
        m_ownScheduler = std::make_unique<TimerDelayScheduler>();
        m_ownColorPanel = std::make_unique<ColorPanelController>();
        services.emplace(EditorToolbarServices{*m_ownScheduler, *m_ownColorPanel});
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // The toolbar never runs past the window: its rows slide what does not fit.
    m_toolbar = new EditorToolbar(vm, session.crop(), *services);
    m_toolbar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    column->addWidget(m_toolbar);

    m_divider = new QFrame;
    m_divider->setFrameShape(QFrame::HLine);
    m_divider->setFrameShadow(QFrame::Plain);
    m_divider->setForegroundRole(QPalette::Mid);
    column->addWidget(m_divider);

    connect(m_toolbar, &EditorToolbar::requestInsertImage, this, &EditorRootView::requestInsertImage);

    m_canvas = new AnnotationCanvasView(session);
    m_canvas->installEventFilter(this);
    column->addWidget(m_canvas, 1);

    m_history = new HistoryControls(vm);
    m_history->setObjectName(QStringLiteral("historyControls"));
    m_toolbar->historySlot()->addControl(m_history);
    m_deleteReset = new DeleteResetControls(vm);
    m_deleteReset->setObjectName(QStringLiteral("deleteResetControls"));
    m_toolbar->row2LeadingSlot()->addControl(m_deleteReset);
    m_export = new ExportControls(session.results(), session.sharing(), session.recognition());
    m_export->setObjectName(QStringLiteral("exportControls"));
    m_toolbar->exportSlot()->addControl(m_export);
    const auto compactness = [this] { m_deleteReset->setCompact(m_toolbar->shape().compactOptions); };
    connect(m_toolbar, &EditorToolbar::levelChanged, this, compactness);
    compactness();
    setZoomControls(new ZoomControls(vm));
    m_keys = new KeyCommandBridge(session, *this);
    connect(&session.recognition(), &EditorTextRecognition::ocrChanged, this, &EditorRootView::syncOcrSheet);

    // Last, so it lies over everything; it takes no input.
    m_tooltips = new TooltipHost(services->scheduler, this);
    m_tooltips->setObjectName(QStringLiteral("tooltips"));
}

EditorRootView::~EditorRootView()
{
    delete m_ocrSheet;
    // The toolbar's pending delays go before the scheduler that holds them.
    delete m_tooltips;
    delete m_toolbar;
}

QHBoxLayout& EditorRootView::row1Trailing() { return *m_toolbar->historySlot()->layout(); }
QHBoxLayout& EditorRootView::row2Leading() { return *m_toolbar->row2LeadingSlot()->layout(); }
QHBoxLayout& EditorRootView::row2Trailing() { return *m_toolbar->exportSlot()->layout(); }

void EditorRootView::setZoomControls(QWidget* controls)
{
    delete m_zoomControls;
    m_zoomControls = controls;
    m_zoomControls->setObjectName(QStringLiteral("zoomControls"));
    if (!controls)
        return;
    controls->setParent(m_canvas);
    controls->show();
    placeZoomControls();
}

void EditorRootView::syncOcrSheet()
{
    EditorTextRecognition& recognition = m_session.recognition();
    const std::optional<QString>& text = recognition.ocrText();
    if (m_ocrSheet && (!text || *text != m_ocrSheet->text())) {
        // A result taken back (or replaced) takes its sheet with it.
        m_ocrSheet->disconnect(this);
        m_ocrSheet->deleteLater();
        m_ocrSheet = nullptr;
    }
    if (!text || m_ocrSheet)
        return;
    m_ocrSheet = new OCRResultView(*text, [&recognition](const QString& t) { recognition.copyText(t); }, window());
    m_ocrSheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_ocrSheet, &QDialog::finished, this, [this] {
        m_ocrSheet = nullptr;
        m_session.recognition().setOcrText(std::nullopt);
    });
    m_ocrSheet->open();
}

void EditorRootView::placeZoomControls()
{
    if (!m_zoomControls)
        return;
    m_zoomControls->adjustSize();
    const QSize size = m_zoomControls->size();
    m_zoomControls->move(m_canvas->width() - 14 - size.width(), m_canvas->height() - 14 - size.height());
    m_zoomControls->raise();
}

void EditorRootView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The window's width decides how far the toolbar folds.
    m_toolbar->setAvailableWidth(width());
}

bool EditorRootView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_canvas && event->type() == QEvent::Resize)
        placeZoomControls();
    return QWidget::eventFilter(watched, event);
}

OCRResultView* EditorRootView::ocrSheet() const { return m_ocrSheet; }

int EditorRootView::chromeHeight() const
{
    return m_toolbar->sizeHint().height() + m_divider->sizeHint().height();
}
