#include "Platform/Qt/GlibcHeapTrimmer.h"

#include <cstdlib> // defines __GLIBC__ where the GNU C library is the C library

#if defined(__GLIBC__)
#include <malloc.h>

#include <system_error>
#include <thread>
#include <vector>
#endif

namespace {

#if defined(__GLIBC__)
// malloc_trim() gives back the free top of the main thread's heap only; the
// other threads' heap keeps its top until a large block freed there finds it
// above the trim threshold. Freeing one with no threshold and no padding
// hands it back, on a thread that allocates from that heap.
void trimThisThreadsHeapTop()
{
    mallopt(M_TOP_PAD, 0);
    mallopt(M_TRIM_THRESHOLD, 0);
    // Large enough to make the library look at its heap's top when freed,
    // below the size that would be mapped on its own.
    if (void* large = std::malloc(64 * 1024))
        std::free(large);
    mallopt(M_TRIM_THRESHOLD, GlibcHeapTrimmer::trimThreshold);
    mallopt(M_TOP_PAD, GlibcHeapTrimmer::topPad);
}

// The C library keeps the last few small blocks a thread freed of each size
// (up to seven of each, sizes up to about a kilobyte) for that thread's next
// requests; to the heap they are blocks in use, so malloc_trim() cannot give
// back the pages they lie on, and after a window closes they lie all over
// the pages its objects used. Taken out again and freed on a thread that
// ends at once, they go back to the heap: the ending thread's own cache is
// emptied into the heap too. New threads take the two heaps in turn, so of
// two helper threads one has the other threads' heap, whose top it trims.
void emptyThreadCacheAndTrimHeapTops()
{
    constexpr int sizes = 64; // 24 to 1032 bytes, one per 16-byte size class
    constexpr int perSize = 7;
    std::vector<void*> blocks;
    blocks.reserve(sizes * perSize);
    for (int i = 0; i < sizes; ++i) {
        for (int j = 0; j < perSize; ++j) {
            if (void* block = std::malloc(std::size_t(24 + 16 * i)))
                blocks.push_back(block);
        }
    }
    bool released = false;
    const auto release = [&blocks, &released] {
        for (void* block : blocks)
            std::free(block);
        released = true;
    };
    try {
        std::thread([&release] {
            release();
            trimThisThreadsHeapTop();
        }).join();
        std::thread(trimThisThreadsHeapTop).join();
    } catch (const std::system_error&) {
        if (!released)
            release(); // no thread to be had: they go back into this thread's cache
    }
}
#endif

} // namespace

GlibcHeapTrimmer::GlibcHeapTrimmer()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, mmapThreshold);
    mallopt(M_TRIM_THRESHOLD, trimThreshold);
    mallopt(M_TOP_PAD, topPad);
    mallopt(M_ARENA_MAX, heaps);
#endif
}

void GlibcHeapTrimmer::trim()
{
#if defined(__GLIBC__)
    emptyThreadCacheAndTrimHeapTops();
    malloc_trim(0);
#endif
}
