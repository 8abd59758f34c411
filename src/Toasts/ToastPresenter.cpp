#include "Toasts/ToastPresenter.h"

#include "Toasts/ToastPill.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <cmath>

namespace {

ToastPresenter::Screen screenOf(const QScreen* s)
{
    return {s->geometry(), s->availableGeometry()};
}

ToastPresenter::Environment realEnvironment()
{
    ToastPresenter::Environment e;
    e.cursorPosition = [] { return QCursor::pos(); };
    e.screens = [] {
        QList<ToastPresenter::Screen> list;
        for (const QScreen* s : QGuiApplication::screens())
            list.append(screenOf(s));
        return list;
    };
    e.mainScreen = []() -> std::optional<ToastPresenter::Screen> {
        if (const QScreen* s = QGuiApplication::primaryScreen())
            return screenOf(s);
        return std::nullopt;
    };
    return e;
}

} // namespace

ToastPresenter::ToastPresenter(QObject* parent)
    : ToastPresenter(realEnvironment(), parent)
{
}

ToastPresenter::ToastPresenter(Environment environment, QObject* parent)
    : QObject(parent)
    , m_environment(std::move(environment))
{
    m_dismissWork.setSingleShot(true);
    m_dismissWork.setTimerType(Qt::PreciseTimer);
    connect(&m_dismissWork, &QTimer::timeout, this, &ToastPresenter::dismiss);
}

ToastPresenter::~ToastPresenter()
{
    if (m_fade)
        m_fade->stop();
}

void ToastPresenter::show(const QString& text, const QString& systemImage, bool sticky, double duration)
{
    m_model.setText(text);
    m_model.setSystemImage(systemImage);
    present();
    m_dismissWork.stop();
    if (!sticky)
        m_dismissWork.start(std::max(0, int(std::lround(duration * 1000))));
}

void ToastPresenter::buildPanel()
{
    auto panel = std::make_unique<QWidget>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                                        | Qt::WindowDoesNotAcceptFocus
                                                        | Qt::WindowTransparentForInput
                                                        | Qt::X11BypassWindowManagerHint);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    panel->setWindowTitle(QStringLiteral("Zentu.it Toast"));
    auto* layout = new QVBoxLayout(panel.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new ToastPill(m_model, panel.get()));
    m_panel = std::move(panel);
}

void ToastPresenter::present()
{
    ++m_generation;
    if (!m_panel)
        buildPanel();
    QWidget* panel = m_panel.get();
    auto* pill = panel->findChild<ToastPill*>();

    panel->layout()->activate();
    const QSize size = pill ? pill->sizeHint() : QSize(240, 48);
    panel->resize(size);
    if (pill) {
        pill->resize(size);
        // Without a compositor the clear corners would show black: cut the
        // window to the capsule.
        panel->setMask(QRegion(pill->capsulePath().toFillPolygon().toPolygon()));
    }

    const QPoint pointer = m_environment.cursorPosition ? m_environment.cursorPosition() : QPoint();
    const QList<Screen> screens = m_environment.screens ? m_environment.screens() : QList<Screen>();
    const std::optional<Screen> main = m_environment.mainScreen ? m_environment.mainScreen() : std::nullopt;
    if (const std::optional<QRect> visible = visibleFrameFor(screens, pointer, main))
        panel->move(panelOrigin(*visible, size));

    if (!panel->isVisible())
        panel->setWindowOpacity(0);
    panel->show();
    panel->raise();
    fadeTo(1.0, {});
}

void ToastPresenter::dismiss()
{
    m_dismissWork.stop();
    if (!m_panel)
        return;
    const quint64 generation = m_generation;
    QPointer<ToastPresenter> self(this);
    fadeTo(0.0, [self, generation] {
        // A toast presented during the fade keeps its panel.
        if (!self || self->m_generation != generation || !self->m_panel)
            return;
        self->m_panel->hide();
        self->m_panel.reset();
        Q_EMIT self->dismissed();
    });
}

void ToastPresenter::hideNow()
{
    m_dismissWork.stop();
    if (m_fade) {
        m_fade->disconnect(this);
        m_fade->stop();
        m_fade->deleteLater();
        m_fade = nullptr;
    }
    if (!m_panel)
        return;
    ++m_generation;
    m_panel->hide();
    m_panel.reset();
    Q_EMIT dismissed();
}

void ToastPresenter::fadeTo(qreal opacity, std::function<void()> done)
{
    if (m_fade) {
        // A newer fade takes over; the old one's completion must not run.
        m_fade->disconnect(this);
        m_fade->stop();
        m_fade->deleteLater();
    }
    auto* fade = new QPropertyAnimation(m_panel.get(), "windowOpacity", this);
    fade->setDuration(fadeMilliseconds);
    fade->setStartValue(m_panel->windowOpacity());
    fade->setEndValue(opacity);
    connect(fade, &QPropertyAnimation::finished, this, [this, fade, done = std::move(done)] {
        if (m_fade == fade)
            m_fade = nullptr;
        fade->deleteLater();
        if (done)
            done();
    });
    m_fade = fade;
    fade->start();
}

std::optional<QRect> ToastPresenter::visibleFrameFor(const QList<Screen>& screens, QPoint pointer,
                                                     const std::optional<Screen>& mainScreen)
{
    for (const Screen& s : screens)
        if (s.frame.contains(pointer))
            return s.visibleFrame;
    if (mainScreen)
        return mainScreen->visibleFrame;
    return std::nullopt;
}

QPoint ToastPresenter::panelOrigin(const QRect& visibleFrame, QSize panelSize)
{
    const double x = visibleFrame.x() + visibleFrame.width() / 2.0 - panelSize.width() / 2.0;
    const int bottom = visibleFrame.y() + visibleFrame.height(); // one past the last row
    return QPoint(int(std::floor(x)), bottom - bottomOffset - panelSize.height());
}
