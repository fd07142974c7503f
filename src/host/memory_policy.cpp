#include "host/memory_policy.h"

#include <cstdlib>  // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace korvane {

void keep_large_blocks_out_of_the_heap() {
#if defined(__GLIBC__)
    // Setting the threshold explicitly also turns off its dynamic raising.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
#endif
}

}  // namespace korvane
