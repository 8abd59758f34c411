#include "Editor/EditorWindowController.h"

#include "Editor/EditorEnvironment.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorViewModel.h"
#include "Editor/HistoryEditorEnvironment.h"
#include "Localization/Localizer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

EditorWindowController::EditorWindowController(const QImage& image, std::optional<ScreenshotItem> item,
                                               std::unique_ptr<EditorEnvironment> environment, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_environment(std::move(environment))
    , m_viewModel(std::make_unique<EditorViewModel>(image, std::move(item), *m_environment))
{
    m_rootView = new EditorRootView(*m_viewModel);
    // The picture button: a file dialog over this window, then the picture on the screenshot.
    connect(m_rootView, &EditorRootView::requestInsertImage, this, [this] { m_viewModel->insertImageFromPicker(); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_rootView);

    setWindowTitle(Localizer::t(QStringLiteral("Zentu.it Editor")));
    // The screen the user works on: the one under the pointer.
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const std::optional<QSizeF> available =
        screen ? std::optional(QSizeF(screen->availableGeometry().size())) : std::nullopt;
    const QSize size = preferredContentSize(image.size(), available).toSize().expandedTo(minimumContentSize);
    setMinimumSize(minimumContentSize);
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
    // The model refers to the environment: it goes first.
    delete m_rootView;
    m_viewModel.reset();
}

std::unique_ptr<EditorWindowController> EditorWindowController::forHistory(const QImage& image,
                                                                          const ScreenshotItem& item,
                                                                          ScreenshotHistoryStore& store)
{
    return std::make_unique<EditorWindowController>(image, item, std::make_unique<HistoryEditorEnvironment>(store));
}

std::optional<QUuid> EditorWindowController::screenshotID() const
{
    if (const auto& item = m_viewModel->item())
        return item->id;
    return std::nullopt;
}

QSizeF EditorWindowController::preferredContentSize(QSizeF px, std::optional<QSizeF> available)
{
    const QSizeF area = available ? QSizeF(available->width() * 0.85, available->height() * 0.85 - toolbarAllowance)
                                  : QSizeF(1224, 669);
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
    return QSizeF(width, height + toolbarAllowance);
}

std::function<void()> EditorWindowController::keyAction(const QKeyEvent& event) const
{
    EditorViewModel& vm = *m_viewModel;
    // An open entry field gets every key.
    if (vm.pendingTextOrigin() || vm.editingBubbleID())
        return {};
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (vm.state().selectedTool != EditorTool::crop || !vm.cropDraft())
            return {};
        return [&vm] {
            if (const auto draft = vm.cropDraft())
                vm.applyCrop(*draft);
        };
    case Qt::Key_Escape:
        if (!vm.cropDraft())
            return {};
        return [&vm] { vm.cancelCrop(); };
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (vm.selectedIDs().isEmpty())
            return {};
        return [&vm] { vm.deleteSelected(); };
    case Qt::Key_C:
    case Qt::Key_V:
        // Ctrl+C copies the flattened picture, Ctrl+V pastes a picture or a
        // text; both leave the keys to Live Text's selection while it is on
        // and to a text being edited.
        if (event.modifiers() != Qt::ControlModifier || vm.liveTextEnabled() || vm.editingTextID())
            return {};
        if (event.key() == Qt::Key_C)
            return [&vm] { vm.copyResult(); };
        return [&vm] { vm.paste(); };
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
    m_viewModel->windowWillClose();
    m_viewModel->persistAnnotations();
    stopKeyHandling();
}
