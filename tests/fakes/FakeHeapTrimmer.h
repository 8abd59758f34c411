#pragma once
#include "Platform/HeapTrimmer.h"

class FakeHeapTrimmer final : public HeapTrimmer {
public:
    void trim() override { ++trims; }
    int trims = 0;
};
