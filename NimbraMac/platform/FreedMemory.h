#pragma once

namespace nimbra {

// Hands heap pages that were freed back to the system. A large snapshot's decode or encode frees as much as
// it took, and the allocator would otherwise keep those pages for the life of the process.
void releaseFreedMemory();

} // namespace nimbra
