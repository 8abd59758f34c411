#include "Platform/X11/X11CompositingInfo.h"

#include "Platform/X11/XcbConnection.h"

bool X11CompositingInfo::isCompositing() const
{
    return XcbConnection().compositorRuns();
}
