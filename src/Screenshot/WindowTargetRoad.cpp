#include "Screenshot/WindowTargetRoad.h"

#include "Localization/Localizer.h"
#include "Platform/RunningApplications.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/WindowScrollCapture.h"

WindowTargetRoad::WindowTargetRoad(RunningApplications& applications, WindowScrollCapture* capture)
    : m_applications(applications)
    , m_capture(capture)
{
}

QString WindowTargetRoad::windowName(const QString& applicationName, bool section)
{
    const QString name = applicationName.isEmpty() ? QStringLiteral("Fenster") : applicationName;
    return section ? name + QStringLiteral(" Abschnitt") : name;
}

Target WindowTargetRoad::resolveTarget(const PickedWindow& picked)
{
    const std::optional<RunningApplications::App> app = m_applications.application(picked.pid, picked.number);
    if (!app || app->id.isEmpty())
        throw CaptureError(Localizer::t(QStringLiteral("Fenster konnte keiner App zugeordnet werden.")));
    return Target::window(picked, windowName(app->name, picked.scrollRegion.has_value()));
}

QCoro::Task<std::optional<QImage>> WindowTargetRoad::captureTarget(Target target)
{
    if (target.kind() != Target::Kind::window || !m_capture)
        throw CaptureError(Localizer::t(QStringLiteral("Fenster konnte keiner App zugeordnet werden.")));
    co_return co_await m_capture->captureWindowScrolling(target.window(), target.windowName());
}
