#pragma once

#include <cstddef>

namespace nimbra {

// Takes the page faults of a freshly mapped, writable area now rather than at its first touch (one fault per
// page), leaving its contents as they are. Where the kernel cannot (older than 5.14), nothing happens.
void prefaultPages(const void* data, std::size_t bytes);

} // namespace nimbra
