#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

// The temporary file being written, for the exit and signal handlers to
// remove: a forge stopped by Ctrl-C or by a failure elsewhere leaves no
// litter either. A plain buffer and flag, since a signal handler may read
// them at any moment.
char pendingPath[4096];
volatile std::sig_atomic_t pending = 0;

void removePending()
{
    if (pending)
        unlink(pendingPath);
}

extern "C" void removePendingAndDie(int signal)
{
    removePending();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void watchPending(const std::string& path)
{
    static const bool handlersInstalled = [] {
        std::atexit(removePending);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, removePendingAndDie);
        return true;
    }();
    (void)handlersInstalled;
    pending = 0;
    // A name too long for the buffer is not watched; it is only litter.
    if (path.size() < sizeof pendingPath) {
        std::memcpy(pendingPath, path.c_str(), path.size() + 1);
        pending = 1;
    }
}

}  // namespace

void cannotWrite(const std::string& path, int error)
{
    std::fprintf(stderr, "forge: cannot write %s: %s\n", path.c_str(), std::strerror(error));
    std::exit(1);
}

// Where the bytes for `path` go: its temporary name beside the file it
// names (through a link, beside the file linked to), or, for a device or a
// pipe, which must never be replaced by a plain file, `path` itself.
static std::string temporaryFor(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return errno == ENOENT ? path + ".partial-" + std::to_string(getpid()) : std::string();
    if (!S_ISREG(status.st_mode))
        return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        return std::string();
    const std::string temporary = std::string(real) + ".partial-" + std::to_string(getpid());
    std::free(real);
    return temporary;
}

OutputFile::OutputFile(const std::string& path) : path_(path), temporary_(temporaryFor(path))
{
    if (temporary_.empty())
        cannotWrite(path_, errno);
    if (temporary_ != path_) {
        // The rename would replace a file the user made read-only without
        // asking; like any writer, the forge refuses it.
        const int existing = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (existing >= 0)
            close(existing);
        else if (errno != ENOENT)
            cannotWrite(path_, errno);
        watchPending(temporary_);
    }
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (!file_) {
        const int error = errno;
        pending = 0;
        cannotWrite(path_, error);
    }
}

OutputFile::~OutputFile()
{
    if (file_) {
        std::fclose(file_);
        removeTemporary();
    }
}

void OutputFile::removeTemporary()
{
    if (temporary_ != path_)
        std::remove(temporary_.c_str());
    pending = 0;
}

void OutputFile::write(const void* bytes, size_t count)
{
    if (std::fwrite(bytes, 1, count, file_) != count)
        fail(errno);
}

void OutputFile::finish()
{
    // A full disk shows only when stdio hands over its last bytes.
    if (std::fflush(file_) != 0 || std::ferror(file_))
        fail(errno ? errno : EIO);
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (closed != 0)
        fail(errno);
    if (temporary_ != path_ && std::rename(temporary_.c_str(), path_.c_str()) != 0)
        fail(errno);
    pending = 0;
}

void OutputFile::fail(int error)
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    removeTemporary();
    cannotWrite(path_, error);
}
