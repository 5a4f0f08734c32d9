#include "ProcessMemory.h"

#include <malloc.h>
#include <unistd.h>

#include <fstream>

#if defined(KOSTKOLAM_UNDER_ASAN)
// Part of every sanitizer runtime; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace kostkolam::reliability {

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t sizePages = 0;
    std::size_t residentPages = 0;
    statm >> sizePages >> residentPages;
    return residentPages * std::size_t(sysconf(_SC_PAGESIZE));
}

std::size_t liveHeapBytes() {
#if defined(KOSTKOLAM_UNDER_ASAN)
    // The sanitizer's own allocator serves every allocation; freed blocks waiting in its
    // quarantine are not counted.
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

void releaseFreeMemory() {
#if !defined(KOSTKOLAM_UNDER_ASAN)
    malloc_trim(0);
#endif
}

}  // namespace kostkolam::reliability
