#include "Editor/EditorRootView.h"

#include "Editor/AnnotationCanvasView.h"
#include "Editor/EditorViewModel.h"
#include "Editor/ToolbarSlot.h"
#include "Ui/ColorPanelController.h"
#include "Ui/TimerDelayScheduler.h"
#include "Ui/TooltipHost.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

EditorRootView::EditorRootView(EditorViewModel& vm, QWidget* parent, std::optional<EditorToolbarServices> services)
    : QWidget(parent)
    , m_vm(vm)
{
    if (!services) {
        m_ownScheduler = std::make_unique<TimerDelayScheduler>();
        services.emplace(EditorToolbarServices{*m_ownScheduler, ColorPanelController::shared()});
    }
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_toolbar = new EditorToolbar(vm, *services);
    m_toolbarScroll = new QScrollArea;
    m_toolbarScroll->setFrameShape(QFrame::NoFrame);
    m_toolbarScroll->setWidgetResizable(true);
    m_toolbarScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_toolbarScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_toolbarScroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_toolbarScroll->setWidget(m_toolbar);
    // As high as its rows, however wide the window.
    m_toolbarScroll->setFixedHeight(m_toolbar->sizeHint().height());
    m_toolbar->installEventFilter(this);
    column->addWidget(m_toolbarScroll);

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    column->addWidget(divider);

    connect(m_toolbar, &EditorToolbar::requestInsertImage, this, &EditorRootView::requestInsertImage);

    m_canvas = new AnnotationCanvasView(vm);
    m_canvas->installEventFilter(this);
    column->addWidget(m_canvas, 1);

    // Last, so it lies over everything; it takes no input.
    m_tooltips = new TooltipHost(services->scheduler, this);
}

EditorRootView::~EditorRootView()
{
    // The toolbar's pending delays go before the scheduler that holds them.
    delete m_tooltips;
    delete m_toolbarScroll;
}

QHBoxLayout& EditorRootView::row1Trailing() { return *m_toolbar->historySlot()->layout(); }
QHBoxLayout& EditorRootView::row2Leading() { return *m_toolbar->row2LeadingSlot()->layout(); }
QHBoxLayout& EditorRootView::row2Trailing() { return *m_toolbar->exportSlot()->layout(); }

void EditorRootView::setZoomControls(QWidget* controls)
{
    delete m_zoomControls;
    m_zoomControls = controls;
    if (!controls)
        return;
    controls->setParent(m_canvas);
    controls->show();
    placeZoomControls();
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
    // The toolbar's height follows what its rows hold.
    if (watched == m_toolbar && event->type() == QEvent::LayoutRequest)
        m_toolbarScroll->setFixedHeight(m_toolbar->sizeHint().height());
    return QWidget::eventFilter(watched, event);
}
