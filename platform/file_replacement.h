// Writing a file so that a failure never destroys the file it was meant to replace: the bytes
// go to a new file beside the target, which is renamed over the target only once every byte
// is on disk. Snapshots, screenshots, recordings and the runner's outputs are all saved so.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

struct FileReplacement {
    std::FILE* file = nullptr; // the new file; write the content here
    std::string temporary;     // its name, beside the target
    std::string target;        // what it will replace (a link's target, not the link)
};

// Creates the new file under a name that did not exist before, beside the target and no longer
// than a name may be (a long target name is cut for it). A symbolic link is followed to
// its target. Refused when the target exists and is not a regular file (a device, FIFO,
// socket or folder) or is read-only; FileReplacementProblem then says why.
bool BeginFileReplacement(const char* path, FileReplacement& replacement);
// Why the last BeginFileReplacement or FinishFileReplacement failed, e.g. "not a regular file"
// or "no space left on the device"; "" after a success or when the caller gave up.
extern const char* FileReplacementProblem;
// A short lower-case phrase for an errno value, e.g. "no space left on the device".
const char* FileErrorText(int error);
// With `ok` and every write through, flushes the new file to disk and renames it over the
// target, which keeps its permissions; otherwise deletes it and leaves the target untouched.
// Returns whether the target now holds the new content.
bool FinishFileReplacement(FileReplacement& replacement, bool ok);
// The whole file from one buffer.
bool ReplaceFileWith(const char* path, const void* data, size_t size);
