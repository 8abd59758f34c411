#pragma once
// Shows the intro card before a capture and turns the user's answer into
// exactly one of the caller's two callbacks. One presenter for the process.
#include "MenuBar/CaptureIntroConfig.h"
#include "Platform/ActivationPolicy.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>

class CaptureIntroView;
class UserDefaults;

class CaptureIntroPresenter : public QObject {
    Q_OBJECT
public:
    struct Environment {
        // The frame of the screen the user works on (the one under the
        // pointer); nothing when there is no screen.
        std::function<std::optional<QRect>()> screenFrame;
        // A still of the screen area the card will cover (what the dimmed
        // backdrop shows where windows cannot be translucent); may be null.
        std::function<QImage(const QRect&)> backdrop;
    };

    // policy may be null (then nothing about it changes).
    CaptureIntroPresenter(UserDefaults& defaults, ActivationPolicy* policy, Environment environment,
                          QObject* parent = nullptr);
    CaptureIntroPresenter(UserDefaults& defaults, ActivationPolicy* policy, QObject* parent = nullptr);
    ~CaptureIntroPresenter() override;

    // Returns at once; later exactly one of the callbacks runs on the main
    // thread, or proceed runs before returning when the card is hidden for good.
    void show(const CaptureIntroConfig& config, std::function<void()> proceed, std::function<void()> cancel);

    // The card's window while one is up, else null.
    CaptureIntroView* window() const;

    static constexpr QRect fallbackFrame{0, 0, 1440, 900};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finish(bool proceed, bool hideForever);
    void closeWindow();

    UserDefaults& m_defaults;
    ActivationPolicy* m_policy;
    Environment m_environment;
    QPointer<CaptureIntroView> m_window;
    bool m_keyMonitor = false;
    std::function<void()> m_pendingCancel;
    // Set only while a card is up: the policy to bring back when it goes.
    std::optional<ActivationPolicy::Policy> m_previousPolicy;
    // The finish step of the card that is up.
    std::function<void(bool proceed, bool hideForever)> m_finish;
};
