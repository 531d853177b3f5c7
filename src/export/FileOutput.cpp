#include "export/FileOutput.h"

#include <streambuf>

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
        failed_ = !file_.Write(data, size);
        return !failed_;
    }

    AtomicFile& file_;
    const std::function<bool()>& stop_;
    std::vector<char> buffer_;
    bool failed_ = false;
    bool stopped_ = false;
};

// A failure's line, the name shown as one line whatever its bytes.
std::string CannotWrite(const std::string& path, const std::string& reason) {
    return "cannot write " + QuotedText(path) + ": " + reason;
}

std::string CannotWrite(const AtomicFile& file) {
    return CannotWrite(file.Path(), file.Reason());
}

// Fills the open `file` through `write` and syncs it; empty or one line.
std::string Fill(AtomicFile& file, const StreamWriter& write, const std::function<bool()>& stop) {
    FileBuffer buffer(file, stop);
    std::ostream out(&buffer);
    const bool complete = write(out);
    out.flush();
    if (buffer.Stopped()) {
        return CannotWrite(file.Path(), "interrupted");
    }
    if (!out.good()) {
        // The file says why (a full disk), unless the stream failed on its own.
        return CannotWrite(file.Path(), file.Reason().empty() ? "write error" : file.Reason());
    }
    if (!complete) {
        return CannotWrite(file.Path(), "the contents do not fit this file format");
    }
    return file.Finish() ? std::string() : CannotWrite(file);
}

} // namespace

PendingFiles::PendingFiles(FileWriteOptions options) : options_(std::move(options)) {}

PendingFiles::~PendingFiles() = default;

FileWriteResult PendingFiles::Add(const std::string& path, const StreamWriter& write) {
    if (options_.stop && options_.stop()) {
        return {CannotWrite(path, "interrupted")};
    }
    auto file = std::make_unique<AtomicFile>();
    if (!file->Open(path, options_.placement)) {
        return {CannotWrite(*file), file->NameTaken()};
    }
    std::string error = Fill(*file, write, options_.stop);
    if (!error.empty()) {
        return {std::move(error)};
    }
    files_.push_back(std::move(file));
    return {};
}

FileWriteResult PendingFiles::Add(const std::string& path, const std::string& bytes) {
    return Add(path, [&bytes](std::ostream& out) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
    });
}

FileWriteResult PendingFiles::PlaceAll() {
    FileWriteResult result;
    for (size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i]->Place()) {
            result = {CannotWrite(*files_[i]), files_[i]->NameTaken()};
            for (size_t j = 0; j < i; ++j) {
                files_[j]->RemoveIfCreated();
            }
            break;
        }
    }
    files_.clear();
    return result;
}

FileWriteResult WriteFileAtomically(const std::string& path, const StreamWriter& write,
                                    const FileWriteOptions& options) {
    PendingFiles files(options);
    FileWriteResult result = files.Add(path, write);
    return result.error.empty() ? files.PlaceAll() : result;
}

FileWriteResult WriteFileAtomically(const std::string& path, const std::string& bytes,
                                    const FileWriteOptions& options) {
    PendingFiles files(options);
    FileWriteResult result = files.Add(path, bytes);
    return result.error.empty() ? files.PlaceAll() : result;
}
