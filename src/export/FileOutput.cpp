#include "export/FileOutput.h"

#include <streambuf>
#include <sys/stat.h>

#include "model/ShownText.h"

namespace {

// Hands a stream's bytes to an AtomicFile in large blocks and asks the stop predicate at
// every hand-over, so that a long export stops within one block of a request.
class FileBuffer final : public std::streambuf {
public:
    FileBuffer(AtomicFile& file, const std::function<bool()>& stop)
        : file_(file), stop_(stop), buffer_(BufferBytes) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    bool Stopped() const { return stopped_; }
    // Why the file took no more bytes, if it refused them.
    const Result<>& Written() const { return written_; }

protected:
    int_type overflow(int_type c) override {
        if (!Flush()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return Flush() ? 0 : -1; }
    // Blocks at least as large as the buffer go to the file without being copied.
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (n < static_cast<std::streamsize>(BufferBytes)) {
            return std::streambuf::xsputn(s, n);
        }
        return Flush() && Pass(s, static_cast<size_t>(n)) ? n : 0;
    }

private:
    static constexpr size_t BufferBytes = 1 << 16;

    bool Flush() {
        const bool passed = Pass(pbase(), static_cast<size_t>(pptr() - pbase()));
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return passed;
    }
    bool Pass(const char* data, size_t size) {
        if (failed_) {
            return false;
        }
        if (stop_ && stop_()) {
            stopped_ = failed_ = true;
            return false;
        }
        written_ = file_.Write(data, size);
        failed_ = !written_;
        return !failed_;
    }

    AtomicFile& file_;
    const std::function<bool()>& stop_;
    std::vector<char> buffer_;
    Result<> written_;
    bool failed_ = false;
    bool stopped_ = false;
};

// A failure's line, the name shown as one line whatever its bytes.
Failure CannotWrite(const std::string& path, const std::string& reason) {
    return Failure{"cannot write " + QuotedText(path) + ": " + reason};
}

Failure CannotWrite(const std::string& path, const Result<>& failed) {
    return CannotWrite(path, failed.Error().message);
}

// Fills the open `file` through `write` and syncs it.
Result<> Fill(AtomicFile& file, const StreamWriter& write, const std::function<bool()>& stop) {
    FileBuffer buffer(file, stop);
    std::ostream out(&buffer);
    const bool complete = write(out);
    out.flush();
    if (buffer.Stopped()) {
        return CannotWrite(file.Path(), "interrupted");
    }
    if (!buffer.Written()) {
        return CannotWrite(file.Path(), buffer.Written()); // why the file refused (a full disk)
    }
    if (!out.good()) {
        return CannotWrite(file.Path(), "write error");
    }
    if (!complete) {
        return CannotWrite(file.Path(), "the contents do not fit this file format");
    }
    if (Result<> finished = file.Finish(); !finished) {
        return CannotWrite(file.Path(), finished);
    }
    return {};
}

} // namespace

PendingFiles::PendingFiles(FileWriteOptions options) : options_(std::move(options)) {}

PendingFiles::~PendingFiles() = default;

Result<> PendingFiles::Add(const std::string& path, const StreamWriter& write) {
    if (options_.stop && options_.stop()) {
        return CannotWrite(path, "interrupted");
    }
    auto file = std::make_unique<AtomicFile>();
    if (Result<> opened = file->Open(path, options_.placement); !opened) {
        return CannotWrite(path, opened);
    }
    if (Result<> filled = Fill(*file, write, options_.stop); !filled) {
        return filled;
    }
    files_.push_back(std::move(file));
    return {};
}

Result<> PendingFiles::Add(const std::string& path, const std::string& bytes) {
    return Add(path, [&bytes](std::ostream& out) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
    });
}

Result<> PendingFiles::PlaceAll() {
    Result<> result;
    for (size_t i = 0; i < files_.size(); ++i) {
        if (Result<> placed = files_[i]->Place(); !placed) {
            result = CannotWrite(files_[i]->Path(), placed);
            for (size_t j = 0; j < i; ++j) {
                files_[j]->RemoveIfCreated();
            }
            break;
        }
    }
    files_.clear();
    return result;
}

bool NameTakenMeanwhile(const Result<>& written, const std::string& path) {
    struct stat info;
    return !written && ::lstat(path.c_str(), &info) == 0;
}

Result<> WriteFileAtomically(const std::string& path, const StreamWriter& write,
                             const FileWriteOptions& options) {
    PendingFiles files(options);
    Result<> added = files.Add(path, write);
    return added ? files.PlaceAll() : added;
}

Result<> WriteFileAtomically(const std::string& path, const std::string& bytes,
                             const FileWriteOptions& options) {
    PendingFiles files(options);
    Result<> added = files.Add(path, bytes);
    return added ? files.PlaceAll() : added;
}
