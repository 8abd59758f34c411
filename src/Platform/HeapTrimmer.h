#pragma once
// Hands memory the program has freed back to the system. The C library keeps
// freed heap for later use, so a process that once held a large picture looks
// as large as then to the user long after it let go of it.
class HeapTrimmer {
public:
    virtual ~HeapTrimmer() = default;
    // Returns what can be returned now, from every thread's heap.
    virtual void trim() = 0;
};
