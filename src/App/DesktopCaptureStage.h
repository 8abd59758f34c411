#pragma once
// The capture stage of the running program: the permission guards ask for
// the recording permission, and the transient windows are hidden and their
// repaint watched.
#include "App/CaptureStage.h"

class PermissionGuards;
class TransientUi;

class DesktopCaptureStage final : public CaptureStage {
public:
    DesktopCaptureStage(PermissionGuards& guards, TransientUi& transientUi);

    bool ensureScreenRecordingPermission() override;
    bool dismissTransientUi() override;
    std::optional<bool> transientUiRepainted() override;

private:
    PermissionGuards& m_guards;
    TransientUi& m_transientUi;
};
