#include "MemoryPages.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace nimbra {

void prefaultPages(const void* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto start = std::uintptr_t(data) & ~(page - 1);
    const auto end = std::uintptr_t(data) + bytes;
    madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace nimbra
