#pragma once

#include <fstream>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

// What the benchmark's own process holds, read from /proc/self/status (Linux) and from
// the C library's allocator where it tells: all in MiB, 0 where unknown.
namespace process_memory {

// A field of /proc/self/status given in kB ("VmRSS", "VmHWM"), in MiB.
inline double StatusMiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = field + ":";
    while (std::getline(status, line)) {
        if (line.compare(0, key.size(), key) == 0) {
            return std::stod(line.substr(key.size())) / 1024.0;
        }
    }
    return 0.0;
}

inline double Resident() {
    return StatusMiB("VmRSS");
}
inline double PeakResident() {
    return StatusMiB("VmHWM");
}

// Starts the peak (VmHWM) again from the resident memory of the moment; false when the
// kernel did not take it.
inline bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5" << std::flush;
    return static_cast<bool>(clear);
}

// The allocator's heaps (every arena, not the blocks it maps one by one) and how much of
// them is free.
struct Heaps {
    double held = 0.0;
    double free = 0.0;
};

inline Heaps AllocatorHeaps() {
    Heaps heaps;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 info = mallinfo2();
    heaps.held = static_cast<double>(info.arena) / (1024.0 * 1024.0);
    heaps.free = static_cast<double>(info.fordblks) / (1024.0 * 1024.0);
#endif
    return heaps;
}

} // namespace process_memory
