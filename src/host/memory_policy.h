// Process-wide allocator settings for a program that runs for weeks.
#pragma once

namespace korvane {

// Large blocks (a page body of several MB) are mapped and unmapped on their own instead of
// being carved from the heap: otherwise, once a big body has been freed, the allocator
// raises its threshold and keeps later ones in the heap, and the resident size ratchets up
// after every oversized page (seen as 16 MB steps in the monitor soak). Call once at start,
// before other threads; does nothing where it does not apply.
void keep_large_blocks_out_of_the_heap();

}  // namespace korvane
