#include "core/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace dw {

namespace {

std::string reasonFor(int error) { return std::strerror(error); }

// A short name that cannot clash with the target however long its name is.
std::string temporaryNameBeside(const std::string& name, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path folder = std::filesystem::path(name).parent_path();
    std::string leaf = ".dw-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
                       std::to_string(attempt) + ".tmp";
    return folder.empty() ? leaf : (folder / leaf).string();
}

// Creates the temporary file exclusively; returns its descriptor or -1 with errno set.
int createTemporary(const std::string& name, std::string& temporary)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryNameBeside(name, attempt);
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

// A replaced file keeps its permission bits.
void keepModeOfExisting(int fd, const std::string& name)
{
    struct stat existing {};
    if (::stat(name.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) ::fchmod(fd, existing.st_mode & 07777);
}

}  // namespace

std::string writeFileAtomically(const std::string& name, std::span<const uint8_t> bytes)
{
    if (name.empty()) return reasonFor(ENOENT);
    std::string temporary;
    int fd = createTemporary(name, temporary);
    if (fd < 0) return reasonFor(errno);

    int error = writeAll(fd, bytes);
    if (error == 0) keepModeOfExisting(fd, name);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), name.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return reasonFor(error);
    }
    return {};
}

}  // namespace dw
