#include "core/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace dw {

namespace {

namespace fs = std::filesystem;

Failure failureFor(int error) { return {std::strerror(error)}; }

// Without this a file-size limit (SIGXFSZ) or a closed pipe (SIGPIPE) would
// end the process in the middle of a write, leaving the temporary file behind;
// ignored, the write fails with EFBIG or EPIPE. A handler the program set
// itself is left alone.
void letWritesFailInsteadOfSignalling()
{
    for (int signal : {SIGXFSZ, SIGPIPE}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) continue;
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(signal, &ignore, nullptr);
    }
}

// Where a chain of symbolic links ends when the file it names does not exist
// yet: writing through it creates that file, as a shell redirection does.
std::string endOfLinks(std::string name)
{
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(name, error)) return name;
        const fs::path target = fs::read_symlink(name, error);
        if (error) return name;
        name = target.is_absolute() ? target.string() : (fs::path(name).parent_path() / target).string();
    }
    return name;
}

// Creates a temporary file exclusively under a random name in `target`'s
// folder, as mkstemp does, but with the usual 0666-less-umask permissions;
// returns its descriptor or -1 with errno set.
int createTemporaryBeside(const std::string& target, std::string& temporary)
{
    std::random_device device;
    const fs::path folder = fs::path(target).parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char leaf[32];
        std::snprintf(leaf, sizeof leaf, ".dw-%08x%08x.tmp", device(), device());
        temporary = folder.empty() ? leaf : (folder / leaf).string();
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

// Returns 0, or the errno of the first failure.
int writeAll(int fd, std::span<const uint8_t> bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

Status writeDirectly(const std::string& name, std::span<const uint8_t> bytes)
{
    int fd;
    do fd = ::open(name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return failureFor(errno);
    const int error = writeAll(fd, bytes);
    ::close(fd);
    if (error != 0) return failureFor(error);
    return {};
}

// `existing` is the file being replaced, or null for a new one.
Status replace(const std::string& target, const struct stat* existing, std::span<const uint8_t> bytes)
{
    std::string temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) return failureFor(errno);

    int error = writeAll(fd, bytes);
    if (error == 0 && existing) {
        // Owner first: changing it clears the set-user-ID and set-group-ID bits.
        // Only root may give a file away, so a refusal leaves the writer as owner.
        [[maybe_unused]] const int owned = ::fchown(fd, existing->st_uid, existing->st_gid);
        if (::fchmod(fd, existing->st_mode & 07777) != 0) error = errno;
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failureFor(error);
    }
    return {};
}

Failure refusal(mode_t mode)
{
    if (S_ISDIR(mode)) return failureFor(EISDIR);
    if (S_ISBLK(mode)) return {"it is a block device, not a file"};
    if (S_ISSOCK(mode)) return {"it is a socket, not a file"};
    return {"it is not a regular file"};
}

}  // namespace

Status writeFileAtomically(const std::string& name, std::span<const uint8_t> bytes)
{
    if (name.empty()) return failureFor(ENOENT);
    letWritesFailInsteadOfSignalling();

    struct stat existing {};
    if (::stat(name.c_str(), &existing) != 0) {
        if (errno != ENOENT) return failureFor(errno);
        return replace(endOfLinks(name), nullptr, bytes);
    }
    if (S_ISFIFO(existing.st_mode) || S_ISCHR(existing.st_mode)) return writeDirectly(name, bytes);
    if (!S_ISREG(existing.st_mode)) return refusal(existing.st_mode);

    char resolved[PATH_MAX];
    if (!::realpath(name.c_str(), resolved)) return failureFor(errno);
    return replace(resolved, &existing, bytes);
}

}  // namespace dw
