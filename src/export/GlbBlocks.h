#pragma once

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <vector>

#include "export/ExportFrame.h"

// The binary chunk of a .glb written in blocks of converted values, so that the largest
// tree is never held twice, with the progress reported as it goes.
class GlbBlockWriter {
public:
    GlbBlockWriter(std::ostream& out, const ExportProgress& progress, size_t totalBytes)
        : out_(out), progress_(progress), total_(std::max<size_t>(1, totalBytes)) {}

    // `count` items of `Width` values of T each, item i as make(i, out) gives it.
    template <class T, size_t Width, class Make> void Items(size_t count, Make make) {
        std::vector<T> block;
        const size_t capacity = BlockBytes / sizeof(T);
        block.reserve(capacity);
        T item[Width];
        for (size_t i = 0; i < count; ++i) {
            make(i, item);
            block.insert(block.end(), item, item + Width);
            if (block.size() + Width > capacity) {
                Write(block.data(), block.size() * sizeof(T));
                block.clear();
            }
        }
        Write(block.data(), block.size() * sizeof(T));
    }
    void Bytes(const void* data, size_t size) {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const size_t n = std::min(size, BlockBytes);
            Write(p, n);
            p += n;
            size -= n;
        }
    }
    // Zeros up to the next multiple of four after `size` bytes.
    void Pad(size_t size) {
        static const char zeros[4] = {0, 0, 0, 0};
        Write(zeros, Padded(size) - size);
    }
    bool good() const { return out_.good(); }

    static size_t Padded(size_t size) { return (size + 3) & ~size_t(3); }

private:
    static constexpr size_t BlockBytes = 1 << 18;

    void Write(const void* data, size_t size) {
        out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        written_ += size;
        if (progress_) {
            progress_(static_cast<double>(written_) / static_cast<double>(total_));
        }
    }

    std::ostream& out_;
    const ExportProgress& progress_;
    size_t total_;
    size_t written_ = 0;
};
