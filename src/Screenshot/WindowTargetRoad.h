#pragma once
// The plain window road: every picked window (or section) is scrolled and
// stitched under its application's name.
#include "Screenshot/ScrollTargetRoad.h"

class RunningApplications;
class WindowScrollCapture;

class WindowTargetRoad final : public ScrollTargetRoad {
public:
    // capture: the loop that scrolls and stitches; kept by the caller.
    WindowTargetRoad(RunningApplications& applications, WindowScrollCapture* capture);

    // Throws "Fenster konnte keiner App zugeordnet werden." when the window's
    // process cannot be identified.
    Target resolveTarget(const PickedWindow& picked) override;
    QCoro::Task<std::optional<QImage>> captureTarget(Target target) override;

    // The label of the window case: the application's name (else "Fenster"),
    // with " Abschnitt" for a section.
    static QString windowName(const QString& applicationName, bool section);

private:
    RunningApplications& m_applications;
    WindowScrollCapture* m_capture;
};
