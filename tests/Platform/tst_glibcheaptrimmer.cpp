// The heap trimmer against the real C library: the small blocks a thread
// freed last, which the library keeps aside for that thread as blocks in
// use, go back to the heap with a trim, where their pages can be given back.
#include "Platform/Qt/GlibcHeapTrimmer.h"

#include <QTest>
#include <cstdlib>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

class TestGlibcHeapTrimmer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void smallFreedBlocksGoBackToTheHeap();
};

void TestGlibcHeapTrimmer::smallFreedBlocksGoBackToTheHeap()
{
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    QSKIP("the GNU C library's own allocator only");
#else
    if (qEnvironmentVariable("GLIBC_TUNABLES").contains(QLatin1String("tcache")))
        QSKIP("the C library was told how many freed blocks to keep aside");
    GlibcHeapTrimmer trimmer;
    // Seven blocks of every small size, freed: kept aside, some 230 kB.
    std::vector<void*> blocks;
    for (std::size_t size = 24; size <= 1032; size += 16)
        for (int i = 0; i < 7; ++i)
            blocks.push_back(std::malloc(size));
    for (void* block : blocks)
        std::free(block);
    const std::size_t held = mallinfo2().uordblks;
    trimmer.trim();
    const std::size_t after = mallinfo2().uordblks;
    QVERIFY2(after + 200 * 1024 < held, qPrintable(QStringLiteral("%1 bytes in use after the trim, %2 before").arg(after).arg(held)));
#endif
}

QTEST_GUILESS_MAIN(TestGlibcHeapTrimmer)
#include "tst_glibcheaptrimmer.moc"
