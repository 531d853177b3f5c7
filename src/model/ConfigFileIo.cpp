#include "model/ConfigFileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/ShownText.h"
#include "platform/AtomicFile.h"

namespace {

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

Result<> WriteWholeFile(const std::string& path, const void* data, size_t size) {
    AtomicFile file;
    Result<> written = file.Open(path, FilePlacement::Replace);
    if (written) {
        written = file.Write(data, size);
    }
    if (written) {
        written = file.Finish();
    }
    if (written) {
        written = file.Place();
    }
    if (!written) {
        return Failure{"cannot write " + QuotedText(path) + ": " + written.Error().message};
    }
    return {};
}
