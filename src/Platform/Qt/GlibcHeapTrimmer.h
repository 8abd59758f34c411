#pragma once
#include "Platform/HeapTrimmer.h"

// The GNU C library's allocator. Made (before the program starts threads),
// it hands large blocks (pictures) to the system and takes them back at once,
// gives back a heap's free top once it passes a megabyte (left to itself it
// raises both limits with every large block freed, and then keeps tens of
// megabytes after an editor is gone), and lets all threads but the main one
// share one heap: the C library never gives back the free top of a thread's
// own heap, so every worker that ever ran kept its peak. trim() is
// malloc_trim() (the free pages inside the heaps go back too), after the
// small blocks the calling thread keeps aside for reuse and the free top of
// the other threads' heap went back to the heaps.
class GlibcHeapTrimmer final : public HeapTrimmer {
public:
    GlibcHeapTrimmer();
    void trim() override;

    static constexpr int mmapThreshold = 128 * 1024;
    static constexpr int trimThreshold = 1024 * 1024;
    // What a heap grows by beyond a request, and keeps when its top goes back
    // (the library's own default).
    static constexpr int topPad = 128 * 1024;
    // The main thread's heap and one for the others (parallel text
    // recognition keeps its speed with two; with one it takes a fifth longer).
    static constexpr int heaps = 2;
};
