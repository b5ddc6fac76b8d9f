#pragma once

namespace nimbra {

// Hands heap pages that were freed back to the system. A large snapshot's decode or encode frees as much as
// it took, and the allocator would otherwise keep those pages for the life of the process.
void releaseFreedMemory();

// Makes every thread allocate from one heap. Each thread that decodes or encodes a snapshot would otherwise
// get an arena of its own that keeps its pages once the work is done; the few threads here gain nothing from
// more. Call first thing in main(), before any thread starts.
void useOneAllocatorArena();

} // namespace nimbra
