#include "MenuBar/CaptureIntroPresenter.h"

#include "MenuBar/CaptureIntroView.h"
#include "Platform/UserDefaults.h"
#include "Ui/PointerScreen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>

namespace {
CaptureIntroPresenter::Environment realEnvironment()
{
    return {
        []() -> std::optional<QRect> {
            if (QScreen* screen = pointerScreen())
                return screen->geometry();
            return std::nullopt;
        },
        [](const QRect& frame) {
            QScreen* screen = QGuiApplication::screenAt(frame.center());
            if (!screen)
                return QImage();
            const QRect local = frame.translated(-screen->geometry().topLeft());
            return screen->grabWindow(0, local.x(), local.y(), local.width(), local.height()).toImage();
        },
    };
}
}

CaptureIntroPresenter::CaptureIntroPresenter(UserDefaults& defaults, ActivationPolicy* policy,
                                             Environment environment, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_policy(policy)
    , m_environment(std::move(environment))
{
}

CaptureIntroPresenter::CaptureIntroPresenter(UserDefaults& defaults, ActivationPolicy* policy, QObject* parent)
    : CaptureIntroPresenter(defaults, policy, realEnvironment(), parent)
{
}

CaptureIntroPresenter::~CaptureIntroPresenter()
{
    // A presenter may outlive the application object.
    if (!qApp)
        return;
    if (m_keyMonitor)
        qApp->removeEventFilter(this);
    delete m_window;
}

void CaptureIntroPresenter::show(const CaptureIntroConfig& config, std::function<void()> proceed,
                                 std::function<void()> cancel)
{
    // A card that is still up is cancelled first, also when the new one is
    // hidden for good: otherwise two captures would run at once.
    if (auto previousCancel = std::exchange(m_pendingCancel, nullptr); previousCancel || m_window) {
        m_finish = nullptr;
        closeWindow();
        if (previousCancel)
            previousCancel();
    }

    if (m_defaults.boolValue(config.hideKey)) {
        if (proceed)
            proceed();
        return;
    }

    m_pendingCancel = cancel;
    QPointer<CaptureIntroPresenter> self(this);
    const QString hideKey = config.hideKey;
    m_finish = [self, hideKey, proceed, cancel](bool goOn, bool hideForever) {
        if (!self)
            return;
        self->m_pendingCancel = nullptr;
        if (hideForever)
            self->m_defaults.setValue(hideKey, true);
        self->closeWindow();
        if (goOn) {
            if (proceed)
                proceed();
        } else if (cancel) {
            cancel();
        }
    };

    const QRect frame = m_environment.screenFrame ? m_environment.screenFrame().value_or(fallbackFrame)
                                                  : fallbackFrame;
    const QImage still = m_environment.backdrop ? m_environment.backdrop(frame) : QImage();

    auto* view = new CaptureIntroView(config, still);
    view->onProceed = [self] { if (self) self->finish(true, false); };
    view->onHideForever = [self] { if (self) self->finish(true, true); };
    view->onCancel = [self] { if (self) self->finish(false, false); };
    view->setGeometry(frame);
    m_window = view;

    qApp->installEventFilter(this);
    m_keyMonitor = true;

    if (m_policy) {
        m_previousPolicy = m_policy->policy();
        if (*m_previousPolicy != ActivationPolicy::Policy::accessory)
            m_policy->setPolicy(ActivationPolicy::Policy::accessory);
    }

    view->show();
    view->raise();
    view->activateWindow();
}

CaptureIntroView* CaptureIntroPresenter::window() const { return m_window; }

void CaptureIntroPresenter::finish(bool proceed, bool hideForever)
{
    // Taken out first: the step must run once, and it outlives its slot.
    if (auto step = std::exchange(m_finish, nullptr))
        step(proceed, hideForever);
}

void CaptureIntroPresenter::closeWindow()
{
    if (m_keyMonitor) {
        qApp->removeEventFilter(this);
        m_keyMonitor = false;
    }
    if (m_window) {
        m_window->hide();
        // The window may be closing from inside one of its own buttons.
        m_window->deleteLater();
        m_window = nullptr;
    }
    // Only a card that was up changed the policy, so only then is it restored.
    if (m_policy && m_previousPolicy) {
        if (m_policy->policy() != *m_previousPolicy)
            m_policy->setPolicy(*m_previousPolicy);
    }
    m_previousPolicy.reset();
}

bool CaptureIntroPresenter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && m_window) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            finish(false, false);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
