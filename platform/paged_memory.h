// Memory made of 16 KB pages of one shared operating-system object, seen through a 64 KB window
// whose four quarters can each show any page. A page shown in two quarters is the same bytes at
// both addresses, and every page can be read at once through a second view of them all.
#pragma once
#include <cstdint>
#include <string>

constexpr uint32_t MemoryPageBytes = 0x4000;

struct PagedMemory {
    uint8_t* window = nullptr; // 64 KB: quarter q (addresses q * 16 KB on) shows a page
    uint8_t* pages = nullptr;  // all the pages in order, pageCount * 16 KB
    int pageCount = 0;
    int handle = -1; // the shared object, -1 before creation
};

// Creates `pageCount` pages of zeros and a window that shows pages 0 to 3. False, with the
// reason in `error` and `memory` as it was, when the system cannot provide them.
bool CreatePagedMemory(PagedMemory& memory, int pageCount, std::string& error);
// Shows `page` in `quarter` (0-3) of the window. The window is whole after every call: the
// system replaces the old pages of the quarter by the new ones in one step.
void ShowPage(PagedMemory& memory, int quarter, int page);
