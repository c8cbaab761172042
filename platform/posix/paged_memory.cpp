#include "platform/paged_memory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr size_t WindowBytes = 4 * MemoryPageBytes;

std::string SystemReason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void* MapPages(void* at, int fd, size_t bytes, off_t offset, int extraFlags) {
    return mmap(at, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | extraFlags, fd, offset);
}

} // namespace

bool CreatePagedMemory(PagedMemory& memory, int pageCount, std::string& error) {
    const size_t bytes = size_t(pageCount) * MemoryPageBytes;
    if (pageCount < 4) {
        error = "fewer than four pages";
        return false;
    }
    const int fd = memfd_create("wendal-memory", MFD_CLOEXEC);
    if (fd < 0) {
        error = SystemReason("cannot create shared memory");
        return false;
    }
    if (ftruncate(fd, off_t(bytes)) != 0) {
        error = SystemReason("cannot size shared memory");
        close(fd);
        return false;
    }
    void* pages = MapPages(nullptr, fd, bytes, 0, 0);
    if (pages == MAP_FAILED) {
        error = SystemReason("cannot map shared memory");
        close(fd);
        return false;
    }
    // The window's address range is reserved first, then each quarter is placed over it.
    void* window = MapPages(nullptr, fd, WindowBytes, 0, 0);
    if (window == MAP_FAILED) {
        error = SystemReason("cannot map the memory window");
        munmap(pages, bytes);
        close(fd);
        return false;
    }
    memory.window = static_cast<uint8_t*>(window);
    memory.pages = static_cast<uint8_t*>(pages);
    memory.pageCount = pageCount;
    memory.handle = fd;
    return true;
}

void ShowPage(PagedMemory& memory, int quarter, int page) {
    uint8_t* at = memory.window + size_t(quarter) * MemoryPageBytes;
    void* got =
        MapPages(at, memory.handle, MemoryPageBytes, off_t(page) * MemoryPageBytes, MAP_FIXED);
    if (got == at) return;
    // A fixed mapping over one of our own only fails when the system is out of mappings; the
    // quarter may then be gone, and the machine cannot go on without its memory.
    std::fprintf(stderr, "%s\n", SystemReason("cannot page memory").c_str());
    std::abort();
}
