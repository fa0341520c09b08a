// The memory of the engine's large tables: advised as 2 MB pages where the
// system has them, and mapped ahead of the search that writes to them. No
// table lives here; each stays with the code that reads it.
#pragma once
#include <cstddef>

constexpr size_t LargePageBytes = 2 * 1024 * 1024;

// Zeroed memory for a table, on a large-page
// boundary and advised as large pages; no page of it is mapped before it is
// written (or MapPagesNow maps it). Null when the memory cannot be had.
void* AllocateLargePageTable(size_t bytes);
// Gives back a table AllocateLargePageTable took for `bytes`.
void FreeLargePageTable(void* table, size_t bytes);
// Asks for large pages for the whole large pages inside the range, before
// anything is written there. Nothing happens where the system has none.
void AdviseLargePages(void* start, size_t bytes);
// Has the system map every page of the range now rather than at its first
// write, which waits for the system to find and zero memory. The contents
// stay as they are.
void MapPagesNow(void* start, size_t bytes);
// The same for the next `bytes` of the stack below the caller's frame,
// where the search's recursion will run.
void MapStackBelow(size_t bytes);
