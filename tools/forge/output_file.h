// Every file the forge writes goes through here. It is written under a
// temporary name beside its real one and renamed into place once complete,
// so a forge that fails or is interrupted leaves the old file or none under
// the real name, never half of one. (Devices and pipes, such as /dev/stdout,
// are written in place: renaming would replace them.) Any failure ends the
// forge with status 1 and one line naming the file and the reason.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();   // removes the temporary file of one never finished
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // For writers that take a stdio stream; finish() checks its errors.
    std::FILE* stream() { return file_; }
    void write(const void* bytes, size_t count);
    // Flushes, closes and renames the file into place.
    void finish();
    const std::string& path() const { return path_; }

private:
    [[noreturn]] void fail(int error);
    void removeTemporary();

    std::string path_, temporary_;
    std::FILE* file_ = nullptr;
};

// "forge: cannot write PATH: REASON" on stderr and status 1.
[[noreturn]] void cannotWrite(const std::string& path, int error);
