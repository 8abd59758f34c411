#include "App/AppWindows.h"

#include "App/WindowCloseWatcher.h"
#include "Localization/Localizer.h"
#include "Platform/ActivationPolicy.h"
#include "Platform/HeapTrimmer.h"
#include "Platform/WindowDesktops.h"
#include "Ui/DrawingCaches.h"
#include "Ui/PointerScreen.h"
#include "Debug/DebugLog.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace {

struct SingleSpec {
    Qt::WindowFlags flags;
    QSize size;
    bool fixedSize;
    // Whether the window counts for the regular/accessory choice.
    bool regular;
};

const SingleSpec& specOf(AppWindows::Single which)
{
    static const SingleSpec specs[] = {
        {Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint
             | Qt::CustomizeWindowHint,
         QSize(640, 850), true, true},
        {Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
             | Qt::CustomizeWindowHint,
         QSize(380, 520), false, false},
        {Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint,
         QSize(460, 520), false, false},
    };
    return specs[std::size_t(which)];
}

QString titleOf(AppWindows::Single which)
{
    switch (which) {
    case AppWindows::Single::settings:
        return Localizer::t(QStringLiteral("Zentu.it Einstellungen"));
    case AppWindows::Single::clipboardHistory:
        return Localizer::t(QStringLiteral("Zwischenablage-Verlauf"));
    case AppWindows::Single::onboarding:
        return Localizer::t(QStringLiteral("Zentu.it einrichten"));
    }
    return QString();
}

QString editorTitle() { return Localizer::t(QStringLiteral("Zentu.it Editor")); }

void centre(QWidget* window)
{
    const QScreen* screen = pointerScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    window->move(available.center() - QPoint(window->width() / 2, window->height() / 2));
}

// Drops a window from its field once its close has run to the end.
void dropLater(std::unique_ptr<QWidget>& field)
{
    if (QWidget* window = field.release())
        window->deleteLater();
}

constexpr AppWindows::Single allSingle[] = {AppWindows::Single::settings, AppWindows::Single::clipboardHistory,
                                            AppWindows::Single::onboarding};

} // namespace

AppWindows::AppWindows(ActivationPolicy& policy, WindowDesktops& desktops, std::shared_ptr<HeapTrimmer> trimmer,
                       QObject* parent)
    : QObject(parent)
    , m_policy(policy)
    , m_desktops(desktops)
    , m_trimmer(std::move(trimmer))
    , m_trim(new QTimer(this))
    , m_lateTrim(new QTimer(this))
{
    const auto trim = [this] {
        if (m_trimmer && m_editors.empty()) {
            m_trimmer->trim();
            DebugLog::write(QStringLiteral("SPEICHER nach dem Editor an das System zurückgegeben"));
        }
    };
    m_trim->setSingleShot(true);
    m_trim->setInterval(trimDelayMs);
    m_lateTrim->setSingleShot(true);
    m_lateTrim->setInterval(lateTrimDelayMs);
    connect(m_trim, &QTimer::timeout, this, trim);
    // No editor came back in the meantime: the fonts and pixmaps the editors
    // drew with go too (the next editor loads them again).
    connect(m_lateTrim, &QTimer::timeout, this, [this, trim] {
        if (m_editors.empty())
            DrawingCaches::release();
        trim();
    });
}

bool AppWindows::joinsEveryWorkspace(const QWidget* window) const
{
    if (window && window == m_single[std::size_t(Single::clipboardHistory)].get())
        return true;
    return std::any_of(m_editors.begin(), m_editors.end(), [&](const auto& w) { return w.get() == window; });
}

bool AppWindows::isSeen(QWidget* window)
{
    return window && window->isVisible() && !window->isMinimized() && m_desktops.isOnCurrentDesktop(window->winId());
}

void AppWindows::present(QWidget* window)
{
    if (!window)
        return;
    // Left on another workspace (a window manager that does not keep it on
    // all): it comes here.
    if (window->isVisible() && joinsEveryWorkspace(window) && !m_desktops.isOnCurrentDesktop(window->winId()))
        m_desktops.showOnAllDesktops(window->winId());
    if (window->isMinimized())
        window->showNormal();
    bringForward(window);
}

AppWindows::~AppWindows() = default;

QWidget* AppWindows::window(Single which) const { return m_single[std::size_t(which)].get(); }

QWidget* AppWindows::open(Single which, QWidget* content)
{
    const SingleSpec& spec = specOf(which);
    auto window = std::make_unique<QWidget>(nullptr, spec.flags);
    window->setWindowTitle(titleOf(which));
    window->installEventFilter(this);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content ? content : new QWidget);
    window->resize(spec.size);
    if (spec.fixedSize)
        window->setFixedSize(spec.size);
    centre(window.get());
    auto* watcher = new WindowCloseWatcher(window.get());
    QPointer<AppWindows> self(this);
    connect(watcher, &WindowCloseWatcher::closed, this, [self, which, regular = spec.regular] {
        if (!self)
            return;
        dropLater(self->slot(which));
        if (regular)
            self->updateActivationPolicy();
    });
    slot(which) = std::move(window);
    if (spec.regular)
        updateActivationPolicy();
    QWidget* raw = slot(which).get();
    bringForward(raw);
    return raw;
}

void AppWindows::bringForward(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void AppWindows::adoptEditor(std::unique_ptr<QWidget> window)
{
    if (!window)
        return;
    QWidget* raw = window.get();
    raw->setWindowTitle(editorTitle());
    // An editor holds the picture several times over (canvas, undo, blur
    // previews): once it is gone, what it freed goes back to the system.
    connect(raw, &QObject::destroyed, this, [this] {
        m_trim->start();
        m_lateTrim->start();
    });
    raw->installEventFilter(this);
    auto* watcher = new WindowCloseWatcher(raw);
    QPointer<AppWindows> self(this);
    QPointer<QWidget> weakWindow(raw);
    connect(watcher, &WindowCloseWatcher::closed, this, [self, weakWindow] {
        if (!self || !weakWindow)
            return;
        auto& list = self->m_editors;
        const auto it = std::find_if(list.begin(), list.end(),
                                     [&](const std::unique_ptr<QWidget>& w) { return w.get() == weakWindow; });
        if (it != list.end()) {
            it->release()->deleteLater();
            list.erase(it);
        }
        self->updateActivationPolicy();
    });
    m_editors.push_back(std::move(window));
    raw->show();
    raw->raise();
    updateActivationPolicy();
    raw->activateWindow();
    raw->raise();
    const auto policy = int(m_policy.policy());
    auto yesNo = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    DebugLog::write(QStringLiteral("openEditor: policy=") + QString::number(policy)
                    + QStringLiteral(" active=") + yesNo(QApplication::activeWindow() != nullptr)
                    + QStringLiteral(" onActiveSpace=") + yesNo(raw->isVisible())
                    + QStringLiteral(" key=") + yesNo(raw->isActiveWindow())
                    + QStringLiteral(" visible=") + yesNo(raw->isVisible()));
}

void AppWindows::closeEditors()
{
    std::vector<QPointer<QWidget>> open;
    for (const auto& w : m_editors)
        open.emplace_back(w.get());
    for (const QPointer<QWidget>& w : open)
        if (w)
            w->close();
}

void AppWindows::followLanguage()
{
    m_followsLanguage = true;
    refreshTitles();
}

bool AppWindows::eventFilter(QObject* watched, QEvent* event)
{
    // Each time before it maps: a window manager forgets a window's
    // workspaces when it is hidden.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && joinsEveryWorkspace(window))
            m_desktops.showOnAllDesktops(window->winId());
    }
    // Each window hears of the change; a title already in the new language is left as it is.
    if (m_followsLanguage && event->type() == QEvent::LanguageChange)
        refreshTitles();
    return QObject::eventFilter(watched, event);
}

void AppWindows::updateActivationPolicy()
{
    bool regular = !m_editors.empty();
    for (Single which : allSingle)
        regular = regular || (specOf(which).regular && window(which));
    m_policy.setPolicy(regular ? ActivationPolicy::Policy::regular : ActivationPolicy::Policy::accessory);
}

void AppWindows::refreshTitles()
{
    for (Single which : allSingle)
        if (QWidget* w = window(which))
            w->setWindowTitle(titleOf(which));
    for (const auto& w : m_editors)
        w->setWindowTitle(editorTitle());
}
