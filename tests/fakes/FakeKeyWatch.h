#pragma once
#include "Platform/KeyWatch.h"

class FakeKeyWatch final : public KeyWatch {
public:
    bool start(std::function<void()> onEscape) override
    {
        callback = std::move(onEscape);
        ++starts;
        return available;
    }
    void stop() override
    {
        callback = nullptr;
        ++stops;
    }
    // Simulates Escape pressed while another application has focus.
    void pressEscape()
    {
        if (callback)
            callback();
    }
    bool watching() const { return bool(callback); }

    bool available = true;
    int starts = 0;
    int stops = 0;
    std::function<void()> callback;
};
