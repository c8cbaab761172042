#include "platform/file_replacement.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>
#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

#ifndef NAME_MAX
#define NAME_MAX 255 // bytes in one name of a path on every file system we meet
#endif

const char* FileReplacementProblem = "";

const char* FileErrorText(int error) {
    switch (error) {
    case ENOSPC: return "no space left on the device";
#ifdef EDQUOT
    case EDQUOT: return "the disk quota is used up";
#endif
    case EROFS: return "the device is read-only";
    case EACCES:
    case EPERM: return "permission denied";
    case EIO: return "the device reported an input/output error";
    case EFBIG: return "the file is too large for the device";
    case ENAMETOOLONG: return "the name is too long";
    case ENOENT: return "the folder does not exist";
    case ENOTDIR: return "a part of the path is not a folder";
    default: break;
    }
    // Any other: the system's own text, lower case as the texts above
    static std::string text;
    text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = char(text[0] - 'A' + 'a');
    return text.c_str();
}

// A name beside the target that fits in one path component: a long target name is cut so that
// ".tmp" and the digits still fit.
static std::string TemporaryName(const std::string& target, long long number) {
    const fs::path path(target);
    const std::string suffix = ".tmp" + std::to_string(number);
    std::string name = path.filename().string();
    if (name.size() + suffix.size() > NAME_MAX) name.resize(NAME_MAX - suffix.size());
    return (path.parent_path() / (name + suffix)).string();
}

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
    replacement.target = target.string();
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        replacement.temporary = TemporaryName(replacement.target, (stamp + attempt) & 0xFFFFFF);
        // "x": never opens a file that already exists
        replacement.file = std::fopen(replacement.temporary.c_str(), "wbx");
        if (replacement.file) {
            FileReplacementProblem = "";
            return true;
        }
        if (errno != EEXIST) break; // only a name taken is worth another try
    }
    FileReplacementProblem = FileErrorText(errno);
    replacement.temporary.clear();
    return false;
}

// Each failure keeps its reason in `error` (an errno value).
static bool FlushToDisk(std::FILE* f, int& error) {
    if (std::fflush(f) != 0 || std::ferror(f)) {
        error = errno;
        return false;
    }
#if defined(__unix__) || defined(__APPLE__)
    if (fsync(fileno(f)) != 0) {
        error = errno;
        return false;
    }
#endif
    return true;
}

bool FinishFileReplacement(FileReplacement& replacement, bool ok) {
    if (!replacement.file) return false;
    // A write the caller saw fail left the stream's error mark and its reason in errno.
    int error = !ok && std::ferror(replacement.file) ? errno : 0;
    ok = ok && FlushToDisk(replacement.file, error);
    if (std::fclose(replacement.file) != 0) {
        if (ok) error = errno;
        ok = false;
    }
    replacement.file = nullptr;
    std::error_code ec;
    if (ok) {
        fs::file_status old = fs::status(replacement.target, ec);
        if (!ec && fs::exists(old)) fs::permissions(replacement.temporary, old.permissions(), ec);
        fs::rename(replacement.temporary, replacement.target, ec);
        ok = !ec;
        if (ec) error = ec.value();
    }
    FileReplacementProblem = error ? FileErrorText(error) : "";
    if (!ok) fs::remove(replacement.temporary, ec);
    return ok;
}

bool ReplaceFileWith(const char* path, const void* data, size_t size) {
    FileReplacement replacement;
    if (!BeginFileReplacement(path, replacement)) return false;
    return FinishFileReplacement(replacement, std::fwrite(data, 1, size, replacement.file) == size);
}
