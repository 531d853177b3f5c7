#include "model/ConfigFileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/LinkChain.h"

namespace {

Failure CannotDo(const std::string& what, const std::string& name, int code) {
    return Failure{what + " " + name + ": " + std::strerror(code)};
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC; // nothing stored and no reason given: the disk took no more
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Why a file of this type is not read.
std::string NotReadable(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "it is a folder";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "it is a device";
    }
    return "it is not a regular file";
}

// Reads `fd` to its end or to `capacity` bytes.
bool ReadUpTo(int fd, size_t capacity, std::string& out) {
    out.resize(capacity);
    size_t got = 0;
    while (got < capacity) {
        const ssize_t n = ::read(fd, out.data() + got, capacity - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    return true;
}

} // namespace

Result<std::string> ReadNamedFile(const std::string& path, size_t capacity, bool pipes) {
    // Checking the name first keeps devices from even being opened (opening one can have
    // effects of its own); the descriptor is what counts, checked again once opened.
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        return Failure{std::strerror(errno)};
    }
    const auto wanted = [pipes](mode_t mode) { return S_ISREG(mode) || (pipes && S_ISFIFO(mode)); };
    if (!wanted(info.st_mode)) {
        return Failure{NotReadable(info.st_mode)};
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return Failure{std::strerror(errno)};
    }
    std::string bytes;
    bool ok = ::fstat(fd, &info) == 0;
    int code = errno;
    if (ok && !wanted(info.st_mode)) {
        ::close(fd);
        return Failure{NotReadable(info.st_mode)};
    }
    // A pipe is read as it comes: waiting for its writer is what reading one means.
    if (ok && S_ISFIFO(info.st_mode)) {
        const int flags = ::fcntl(fd, F_GETFL);
        ok = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
        code = errno;
    }
    if (ok) {
        ok = ReadUpTo(fd, capacity, bytes);
        code = errno;
    }
    ::close(fd);
    if (!ok) {
        return Failure{std::strerror(code)};
    }
    return bytes;
}

Result<size_t> ReadRegularFile(const std::string& path, uint8_t* out, size_t capacity) {
    const Result<std::string> bytes = ReadNamedFile(path, capacity, false);
    if (!bytes) {
        return bytes.Error();
    }
    std::copy(bytes->begin(), bytes->end(), out);
    return bytes->size();
}

Result<> ReplaceFileAtomically(const std::string& path, const uint8_t* data, size_t size) {
    const Result<std::string> resolved = ResolveLinkChain(path);
    if (!resolved) {
        return Failure{"cannot follow the link " + path + ": " + resolved.Error().message};
    }
    const std::string& target = *resolved;
    // Only a regular file is replaced: a directory, FIFO or device under the name is not
    // ours to remove.
    struct stat info;
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        return Failure{"cannot replace " + target + ": it is not a regular file"};
    }
    const mode_t mode = exists ? info.st_mode & 0777 : 0666;
    const std::string temporary = target + ".new";

    // A leftover of an interrupted save, or a link planted under our name: neither holds
    // anything of value, and unlinking a link leaves the file it points to alone.
    if (::lstat(temporary.c_str(), &info) == 0 &&
        (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))) {
        ::unlink(temporary.c_str());
    }

    // O_EXCL: the file must be new, so nothing that appeared under the name since is
    // opened, and no link is followed.
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int code = errno;
        if (code == EEXIST) {
            return Failure{"cannot create " + temporary +
                           ": something that is not a file is in the way"};
        }
        return CannotDo("cannot create", temporary, code);
    }
    // The new file gets the permissions the user gave the old one.
    if (exists) {
        ::fchmod(fd, mode);
    }
    bool written = WriteAll(fd, data, size) && ::fsync(fd) == 0;
    int code = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        code = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return CannotDo("cannot write", temporary, code);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const Failure failure = CannotDo("cannot replace", target, errno);
        ::unlink(temporary.c_str());
        return failure;
    }
    return {};
}
