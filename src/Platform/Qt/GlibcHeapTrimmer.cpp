#include "Platform/Qt/GlibcHeapTrimmer.h"

#include <cstdlib> // defines __GLIBC__ where the GNU C library is the C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

GlibcHeapTrimmer::GlibcHeapTrimmer()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, mmapThreshold);
    mallopt(M_TRIM_THRESHOLD, trimThreshold);
    mallopt(M_ARENA_MAX, heaps);
#endif
}

void GlibcHeapTrimmer::trim()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
