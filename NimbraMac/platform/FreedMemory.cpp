#include "FreedMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace nimbra {

void releaseFreedMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace nimbra
