#include "platform/file_replacement.h"

#include <chrono>
#include <filesystem>
#include <system_error>
#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

const char* FileReplacementProblem = "";

// Writable by this process: a file without any write permission counts as read-only even for
// the administrator, who could otherwise write anything.
static bool IsWritable(const fs::path& path, fs::perms perms) {
    constexpr fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((perms & anyWrite) == fs::perms::none) return false;
#if defined(__unix__) || defined(__APPLE__)
    if (access(path.c_str(), W_OK) != 0) return false;
#endif
    return true;
}

bool BeginFileReplacement(const char* path, FileReplacement& replacement) {
    replacement = FileReplacement{};
    FileReplacementProblem = "no file name";
    if (!path || !*path) return false;
    std::error_code ec;
    fs::path target(path);
    // Links are followed one by one, so that a link to a file not yet there creates that file
    // rather than being replaced; a loop of links is refused.
    for (int depth = 0; depth < 40 && fs::is_symlink(target, ec); ++depth) {
        const fs::path link = fs::read_symlink(target, ec);
        if (ec) break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    if (fs::is_symlink(target, ec)) {
        FileReplacementProblem = "too many levels of symbolic links";
        return false;
    }
    // Only a regular file is ever replaced: renaming over a device, FIFO or socket would put a
    // plain file in its place, and a read-only file is kept as its owner meant.
    const fs::file_status status = fs::status(target, ec);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status)) {
            FileReplacementProblem = "not a regular file";
            return false;
        }
        if (!IsWritable(target, status.permissions())) {
            FileReplacementProblem = "the file is read-only";
            return false;
        }
    }
    FileReplacementProblem = "cannot create a file in its folder";
    replacement.target = target.string();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        replacement.temporary =
            replacement.target + ".tmp" + std::to_string((stamp + attempt) & 0xFFFFFF);
        // "x": never opens a file that already exists
        replacement.file = std::fopen(replacement.temporary.c_str(), "wbx");
        if (replacement.file) {
            FileReplacementProblem = "";
            return true;
        }
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
