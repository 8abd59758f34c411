#include "support/ScrollEngineRig.h"

#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/WindowPicker.h"

#include <QApplication>
#include <QTest>

ScrollEngineRig::ScrollEngineRig(bool accessibility)
    : m_windows(std::make_shared<X11WindowServer>())
    , m_screens(std::make_shared<X11ScreenSource>())
    , m_permissions(std::make_unique<X11CapturePermissions>(*m_screens))
{
    m_noAccessibility.available = false;
    const auto compositing = std::make_shared<X11CompositingInfo>();
    m_engine = std::make_unique<ScrollCaptureEngine>(ScrollCaptureEngine::Services{
        m_windows, m_screens, std::make_shared<X11WindowRedirector>(compositing), compositing,
        Backdrop::grabScreens, accessibility ? static_cast<AccessibilityTree&>(m_accessibility) : m_noAccessibility,
        *m_permissions, m_activation, m_input, m_identity, m_browsers,
        m_viewers, m_keys, m_clock});
    m_capture = std::make_unique<ScrollCapture>(m_engine->picker(), m_engine->road(), m_engine->panel());
}

ScrollEngineRig::~ScrollEngineRig() = default;

QCoro::Task<std::optional<CapturedScreenshot>> ScrollEngineRig::startRun()
{
    auto run = m_capture->run();
    QWidget* picker = nullptr;
    const bool shown = QTest::qWaitFor([&picker] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<PickerView*>(w) && w->isVisible())
                picker = w;
        return picker != nullptr;
    }, 5000);
    // Exposed, so the X server has it mapped above everything: a drag that
    // reached the application underneath instead would select and scroll it.
    if (!shown || !QTest::qWaitForWindowExposed(picker, 15000))
        qWarning("the picker did not show");
    QTest::qWait(300);
    return run;
}
