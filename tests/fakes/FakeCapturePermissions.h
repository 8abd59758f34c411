#pragma once
#include "Platform/CapturePermissions.h"

#include <QStringList>

class FakeCapturePermissions final : public CapturePermissions {
public:
    bool preflightScreenCapture() override
    {
        ++preflightCalls;
        return preflight;
    }
    bool requestScreenCapture() override
    {
        ++requestCalls;
        return requestAnswer;
    }
    bool isAccessibilityTrusted() override { return trusted; }
    void promptAccessibility() override { ++prompts; }

    bool preflight = true;
    bool requestAnswer = true;
    bool trusted = true;
    int preflightCalls = 0;
    int requestCalls = 0;
    int prompts = 0;
};
