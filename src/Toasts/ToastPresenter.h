#pragma once
// The one toast of the app: a dark pill near the bottom of the screen under the
// pointer, never focused, never clicked. A new toast replaces the old one.
#include "Toasts/Announcer.h"
#include "Toasts/ToastModel.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QPropertyAnimation;
class QWidget;

class ToastPresenter : public QObject, public Announcer {
    Q_OBJECT
public:
    struct Screen {
        QRect frame;
        QRect visibleFrame;
    };
    // Where the pointer is and which screens exist; the real ones by default.
    struct Environment {
        std::function<QPoint()> cursorPosition;
        std::function<QList<Screen>()> screens;     // in the system's order
        std::function<std::optional<Screen>()> mainScreen;
    };

    explicit ToastPresenter(QObject* parent = nullptr);
    ToastPresenter(Environment environment, QObject* parent = nullptr);
    ~ToastPresenter() override;

    ToastModel& model() { return m_model; }
    // The panel while a toast exists (visible or fading), else null.
    QWidget* panel() const { return m_panel.get(); }
    bool hasPendingDismissal() const { return m_dismissWork.isActive(); }

    void show(const QString& text, const QString& systemImage = QStringLiteral("checkmark.circle.fill"),
              bool sticky = false, double duration = 1.6) override;
    void present();
    void dismiss() override;
    // Off the screen at once, without the fade (before a capture).
    void hideNow() override;

    // The visible frame of the first screen holding the pointer, else of the main screen.
    static std::optional<QRect> visibleFrameFor(const QList<Screen>& screens, QPoint pointer,
                                                const std::optional<Screen>& mainScreen);
    // Centred across, its bottom 80 px above the bottom of the visible frame.
    static QPoint panelOrigin(const QRect& visibleFrame, QSize panelSize);

    static constexpr int fadeMilliseconds = 180;
    static constexpr int bottomOffset = 80;

Q_SIGNALS:
    // The panel was ordered out and dropped after its fade.
    void dismissed();

private:
    void buildPanel();
    void fadeTo(qreal opacity, std::function<void()> done);

    Environment m_environment;
    ToastModel m_model;
    std::unique_ptr<QWidget> m_panel;
    QTimer m_dismissWork;
    QPointer<QPropertyAnimation> m_fade;
    // Counts presentations, so that a fade-out begun before a newer toast was
    // presented does not take that toast away when it ends.
    quint64 m_generation = 0;
};
