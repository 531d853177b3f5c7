#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/LinkChain.h"

namespace {

std::atomic<bool> namedTemporariesOnly{false};

// Tries at most this many random names before giving up; each is taken only by chance.
constexpr int MaxNameAttempts = 100;

// ".dendrova-" and eight random letters and digits: short, so that a target name of the
// longest length a file system allows still has a temporary beside it, and hidden.
std::string RandomName() {
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[8];
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // No entropy at hand this early: the clock and the process are unique enough, as
        // the names are created exclusively and another is tried when one is taken.
        static std::atomic<uint64_t> counter{0};
        uint64_t mix =
            static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            (static_cast<uint64_t>(::getpid()) << 40) ^ (counter++ * 0x9E3779B97F4A7C15u);
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(mix);
            mix = mix >> 8 | mix << 56;
        }
    }
    std::string name = ".dendrova-";
    for (unsigned char b : bytes) {
        name += Letters[b % (sizeof Letters - 1)];
    }
    return name;
}

} // namespace

void AtomicFile::ForceNamedTemporaries(bool force) {
    namedTemporariesOnly = force;
}

AtomicFile::~AtomicFile() {
    Close();
}

void AtomicFile::Close() {
    if (!temporary_.empty()) {
        ::unlinkat(folder_, temporary_.c_str(), 0);
        temporary_.clear();
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (folder_ >= 0) {
        ::close(folder_);
        folder_ = -1;
    }
}

Failure AtomicFile::Fail(int code) {
    return Fail(std::strerror(code));
}

Failure AtomicFile::Fail(const std::string& reason) {
    Close();
    return Failure{reason};
}

Result<> AtomicFile::Open(const std::string& path, FilePlacement placement) {
    Close();
    path_ = path;
    placement_ = placement;
    existed_ = finished_ = placed_ = false;
    if (path.empty()) {
        return Fail(ENOENT);
    }
    // Only the links of a file to be replaced are followed; a new file's name is taken
    // by whatever is there, links included.
    std::string target = path;
    if (placement == FilePlacement::Replace) {
        const Result<std::string> resolved = ResolveLinkChain(path);
        if (!resolved) {
            return Fail(resolved.Error().message);
        }
        target = *resolved;
    }
    struct stat info;
    if (placement == FilePlacement::Replace && ::stat(target.c_str(), &info) == 0) {
        // Nothing but a regular file is replaced, and only one the user may write: a
        // folder, FIFO or device is not even opened.
        if (!S_ISREG(info.st_mode)) {
            return Fail("it is not a regular file");
        }
        if (::access(target.c_str(), W_OK) != 0) {
            return Fail(errno);
        }
        existed_ = true;
        mode_ = info.st_mode & 0777;
    } else if (placement == FilePlacement::CreateNew && ::lstat(target.c_str(), &info) == 0) {
        return Fail(EEXIST);
    } else if (errno != ENOENT) {
        return Fail(errno);
    }

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    name_ = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name_.empty() || name_ == "." || name_ == "..") {
        return Fail(EISDIR);
    }
    // Every later step works relative to the folder as opened here, so all of them meet
    // the same folder even if its name changes meanwhile.
    folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) {
        return Fail(errno);
    }
    if (Result<> created = CreateTemporary(); !created) {
        return created;
    }
    if (existed_ && ::fchmod(fd_, mode_) != 0) {
        return Fail(errno);
    }
    return {};
}

Result<> AtomicFile::CreateTemporary() {
    if (!namedTemporariesOnly) {
        fd_ = ::openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            return {};
        }
        // Anything but "this file system has no anonymous files" is a real failure (no
        // right to write the folder, a read-only or full disk).
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            return Fail(errno);
        }
    }
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        const std::string name = RandomName();
        fd_ = ::openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       0666);
        if (fd_ >= 0) {
            temporary_ = name;
            return {};
        }
        if (errno != EEXIST) {
            return Fail(errno);
        }
    }
    return Fail(EEXIST);
}

Result<> AtomicFile::Write(const void* data, size_t size) {
    if (fd_ < 0 || finished_) {
        return Failure{"the file is not open for writing"};
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // Nothing stored and no reason given: the disk took no more.
            return Fail(n == 0 ? ENOSPC : errno);
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return {};
}

Result<> AtomicFile::Finish() {
    if (fd_ < 0) {
        return Failure{"the file is not open for writing"};
    }
    if (::fsync(fd_) != 0) {
        return Fail(errno);
    }
    finished_ = true;
    return {};
}

// Gives the anonymous file the name `name` in the folder. Linking a descriptor directly
// needs a privilege on older kernels; the same link made through /proc does not.
bool AtomicFile::LinkAnonymous(const std::string& name) {
    if (::linkat(fd_, "", folder_, name.c_str(), AT_EMPTY_PATH) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    return ::linkat(AT_FDCWD, self.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

Result<> AtomicFile::Place() {
    if (!finished_ || placed_) {
        return Failure{placed_ ? "the file is in place already" : "the file is not complete"};
    }
    if (placement_ == FilePlacement::CreateNew) {
        // A link never replaces anything: EEXIST means another program took the name.
        const bool linked = temporary_.empty() ? LinkAnonymous(name_)
                                               : ::linkat(folder_, temporary_.c_str(), folder_,
                                                          name_.c_str(), 0) == 0;
        if (!linked) {
            return Fail(errno);
        }
        if (!temporary_.empty()) {
            ::unlinkat(folder_, temporary_.c_str(), 0);
            temporary_.clear();
        }
        placed_ = true;
        return {};
    }
    for (int attempt = 0; temporary_.empty(); ++attempt) {
        const std::string name = RandomName();
        if (LinkAnonymous(name)) {
            temporary_ = name;
        } else if (errno != EEXIST || attempt + 1 == MaxNameAttempts) {
            return Fail(errno);
        }
    }
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) {
        return Fail(errno);
    }
    temporary_.clear();
    placed_ = true;
    return {};
}

bool AtomicFile::RemoveIfCreated() {
    if (!placed_ || existed_ || fd_ < 0) {
        return false;
    }
    // Only our own file: someone may have put another one under the name since.
    struct stat ours, there;
    if (::fstat(fd_, &ours) != 0 ||
        ::fstatat(folder_, name_.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
        ours.st_dev != there.st_dev || ours.st_ino != there.st_ino) {
        return false;
    }
    placed_ = false;
    return ::unlinkat(folder_, name_.c_str(), 0) == 0;
}
