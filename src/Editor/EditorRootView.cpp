#include "Editor/EditorRootView.h"

#include "Editor/AnnotationCanvasView.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int rowSpacing = 14;
// Controls are 24 to 28 points high; an empty row keeps that height.
constexpr int rowHeight = 28;

// One toolbar row: leading part, a spacer of at least 8, trailing part.
QWidget* makeRow(QHBoxLayout*& leading, QHBoxLayout*& trailing)
{
    auto* row = new QWidget;
    row->setMinimumHeight(rowHeight);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(rowSpacing);
    leading = new QHBoxLayout;
    leading->setSpacing(rowSpacing);
    trailing = new QHBoxLayout;
    trailing->setSpacing(rowSpacing);
    layout->addLayout(leading);
    layout->addSpacerItem(new QSpacerItem(8, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    layout->addLayout(trailing);
    return row;
}

} // namespace

EditorRootView::EditorRootView(EditorViewModel& vm, QWidget* parent)
    : QWidget(parent)
    , m_vm(vm)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_toolbar = new QWidget;
    auto* rows = new QVBoxLayout(m_toolbar);
    rows->setContentsMargins(14, 10, 14, 10);
    rows->setSpacing(8);
    rows->addWidget(makeRow(m_row1Leading, m_row1Trailing));
    rows->addWidget(makeRow(m_row2Leading, m_row2Trailing));

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

    m_canvas = new AnnotationCanvasView(vm);
    m_canvas->installEventFilter(this);
    column->addWidget(m_canvas, 1);
}

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

bool EditorRootView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_canvas && event->type() == QEvent::Resize)
        placeZoomControls();
    // The toolbar's height follows what its rows hold.
    if (watched == m_toolbar && event->type() == QEvent::LayoutRequest)
        m_toolbarScroll->setFixedHeight(m_toolbar->sizeHint().height());
    return QWidget::eventFilter(watched, event);
}
