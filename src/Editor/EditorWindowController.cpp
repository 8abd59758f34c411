#include "Editor/EditorWindowController.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorSession.h"
#include "Editor/HistoryEditorEnvironment.h"
#include "Localization/Localizer.h"
#include "Ui/PointerScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

EditorWindowController::EditorWindowController(const QImage& image, std::optional<ScreenshotItem> item,
                                               std::unique_ptr<EditorEnvironment> environment,
                                               std::optional<EditorToolbarServices> toolbarServices, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_environment(std::move(environment))
    , m_session(std::make_unique<EditorSession>(image, std::move(item), *m_environment))
{
    m_rootView = new EditorRootView(*m_session, nullptr, toolbarServices);
    // The picture button: a file dialog over this window, then the picture on the screenshot.
    connect(m_rootView, &EditorRootView::requestInsertImage, this,
            [this] { m_session->insertion().insertImageFromPicker(); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_rootView);

    followPalette();
    setWindowTitle(Localizer::t(QStringLiteral("Zentu.it Editor")));
    QScreen* screen = pointerScreen();
    const std::optional<QSizeF> available =
        screen ? std::optional(QSizeF(screen->availableGeometry().size())) : std::nullopt;
    // The toolbar as it stands for this window, not an allowance: the canvas
    // below it is what the picture is fitted into.
    const double chrome = m_rootView->chromeHeight();
    // The picture's size on this screen, its pixels being the screen's,
    // in whole points: a window a fraction short would shrink it a hair.
    const qreal dpr = screen ? screen->devicePixelRatio() : 1.0;
    const QSizeF points(std::ceil(image.width() / dpr), std::ceil(image.height() / dpr));
    const QSize size = preferredContentSize(points, available, chrome).toSize().expandedTo(minimumContentSize);
    setMinimumSize(minimumContentSize);
    // The toolbar takes the shape of this width now: shown, the window lays
    // out once and paints once, instead of folding up after its first frame.
    m_rootView->toolbar().setAvailableWidth(size.width());
    if (screen)
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen->availableGeometry()));
    else
        resize(size);

    // Keys reach this filter before the widget that has the focus, as long as
    // the window is open; only keys meant for this window are looked at.
    qApp->installEventFilter(this);
    m_keyHandling = true;
}

EditorWindowController::~EditorWindowController()
{
    stopKeyHandling();
    // The model and its collaborators refer to the environment: they go first.
    delete m_rootView;
    m_session.reset();
}

std::unique_ptr<EditorWindowController> EditorWindowController::forHistory(const QImage& image,
                                                                          const ScreenshotItem& item,
                                                                          ScreenshotHistoryStore& store)
{
    return std::make_unique<EditorWindowController>(image, item, std::make_unique<HistoryEditorEnvironment>(store));
}

EditorViewModel& EditorWindowController::viewModel()
{
    return m_session->model();
}

std::optional<QUuid> EditorWindowController::screenshotID() const
{
    if (const auto& item = m_session->model().item())
        return item->id;
    return std::nullopt;
}

QSizeF EditorWindowController::preferredContentSize(QSizeF px, std::optional<QSizeF> available, double chrome)
{
    const QSizeF area = available ? QSizeF(available->width() * 0.85, available->height() * 0.85 - chrome)
                                  : QSizeF(1224, 765 - chrome);
    double w = px.width(), h = px.height();
    if (!(std::min(w, h) > 0))
        w = 800, h = 600;
    const double scale = std::min(area.width() / w, area.height() / h);
    double width, height;
    if (scale < 1) {
        width = std::min(std::max(w * scale, 980.0), area.width());
        height = std::max(h * scale, 360.0);
    } else {
        width = std::min(std::max(w, 980.0), area.width());
        height = std::max(h, 360.0);
    }
    return QSizeF(width, height + chrome);
}

std::function<void()> EditorWindowController::keyAction(const QKeyEvent& event) const
{
    EditorViewModel& vm = m_session->model();
    CropTool& crop = m_session->crop();
    const TextEntry& entry = m_session->textEntry();
    // An open entry field gets every key.
    if (entry.pendingTextOrigin() || entry.editingBubbleID())
        return {};
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (vm.state().selectedTool != EditorTool::crop || !crop.cropDraft())
            return {};
        return [&crop] {
            if (const auto draft = crop.cropDraft())
                crop.applyCrop(*draft);
        };
    case Qt::Key_Escape:
        if (!crop.cropDraft())
            return {};
        return [&crop] { crop.cancelCrop(); };
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (vm.selectedIDs().isEmpty())
            return {};
        return [&vm] { vm.deleteSelected(); };
    default:
        return {};
    }
}

bool EditorWindowController::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target || target->window() != this)
        return false;
    const auto action = keyAction(*static_cast<QKeyEvent*>(event));
    if (!action)
        return false;
    event->accept();
    // A shortcut claiming the same key must not take it: the key press follows.
    if (type == QEvent::KeyPress)
        action();
    return true;
}

void EditorWindowController::followPalette()
{
    // The same look whether the window has the focus or not: a window that
    // gains it (as a new editor does right after its first frame) repaints
    // nothing, instead of the whole picture a second time.
    QPalette steady = QApplication::palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        steady.setBrush(QPalette::Inactive, QPalette::ColorRole(role),
                        steady.brush(QPalette::Active, QPalette::ColorRole(role)));
    setPalette(steady);
}

void EditorWindowController::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Nested layouts hand size changes up one level per turn of the event
    // loop. Settled here, before the window is mapped, its first frame is
    // its final one, rather than the toolbar shifting a few frames later.
    for (int pass = 0; pass < 10; ++pass)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

void EditorWindowController::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ApplicationPaletteChange)
        followPalette();
    QWidget::changeEvent(event);
}

void EditorWindowController::stopKeyHandling()
{
    if (m_keyHandling) {
        qApp->removeEventFilter(this);
        m_keyHandling = false;
    }
}

void EditorWindowController::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    m_session->windowWillClose();
    m_session->results().persistAnnotations();
    stopKeyHandling();
}
