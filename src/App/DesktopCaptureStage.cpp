#include "App/DesktopCaptureStage.h"

#include "App/CaptureFlows.h"
#include "App/PermissionGuards.h"
#include "Ui/TransientUi.h"

DesktopCaptureStage::DesktopCaptureStage(PermissionGuards& guards, TransientUi& transientUi)
    : m_guards(guards)
    , m_transientUi(transientUi)
{
}

bool DesktopCaptureStage::ensureScreenRecordingPermission() { return m_guards.ensureScreenRecordingPermission(); }

bool DesktopCaptureStage::dismissTransientUi()
{
    // Without a repaint watch only a window gone within the fixed settle
    // time can still show; with one, any gone within the wait's bound.
    return m_transientUi.dismiss(m_transientUi.watchesRepaint() ? CaptureFlows::transientUiRepaintBoundMs
                                                                : CaptureFlows::transientUiSettleMs);
}

std::optional<bool> DesktopCaptureStage::transientUiRepainted()
{
    return m_transientUi.repainted(CaptureFlows::transientUiRepaintBoundMs);
}
