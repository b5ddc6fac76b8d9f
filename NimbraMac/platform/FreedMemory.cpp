#include "FreedMemory.h"

// glibc's own header; __GLIBC__ is known only once a C library header is in.
#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace nimbra {

void releaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

void useOneAllocatorArena() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
}

} // namespace nimbra
