#include "platform/file_replacement.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

bool BeginFileReplacement(const char* path, FileReplacement& replacement) {
    replacement = FileReplacement{};
    if (!path || !*path) return false;
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    replacement.target = target.string();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        replacement.temporary =
            replacement.target + ".tmp" + std::to_string((stamp + attempt) & 0xFFFFFF);
        // "x": never opens a file that already exists
        replacement.file = std::fopen(replacement.temporary.c_str(), "wbx");
        if (replacement.file) return true;
    }
    replacement.temporary.clear();
    return false;
}

static bool FlushToDisk(std::FILE* f) {
    if (std::fflush(f) != 0 || std::ferror(f)) return false;
#if defined(__unix__) || defined(__APPLE__)
    if (fsync(fileno(f)) != 0) return false;
#endif
    return true;
}

bool FinishFileReplacement(FileReplacement& replacement, bool ok) {
    if (!replacement.file) return false;
    ok = ok && FlushToDisk(replacement.file);
    ok = std::fclose(replacement.file) == 0 && ok;
    replacement.file = nullptr;
    std::error_code ec;
    if (ok) {
        fs::file_status old = fs::status(replacement.target, ec);
        if (!ec && fs::exists(old)) fs::permissions(replacement.temporary, old.permissions(), ec);
        fs::rename(replacement.temporary, replacement.target, ec);
        ok = !ec;
    }
    if (!ok) fs::remove(replacement.temporary, ec);
    return ok;
}

bool ReplaceFileWith(const char* path, const void* data, size_t size) {
    FileReplacement replacement;
    if (!BeginFileReplacement(path, replacement)) return false;
    return FinishFileReplacement(replacement, std::fwrite(data, 1, size, replacement.file) == size);
}
