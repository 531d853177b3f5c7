#include "export/FileOutput.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::string Reason(int error) {
    return error != 0 ? std::strerror(error) : "write error";
}

} // namespace

std::string WriteFileAtomically(const std::string& path,
                                const std::function<bool(std::ostream&)>& write) {
    const std::string temporary = path + ".part";
    std::error_code ignored;
    errno = 0;
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file.is_open()) {
        return "cannot write '" + path + "': " + Reason(errno);
    }
    const bool complete = write(file);
    int error = errno;
    file.flush();
    if (error == 0) {
        error = errno;
    }
    const bool good = file.good();
    file.close();
    if (!good || file.fail() || !complete) {
        if (error == 0) {
            error = errno;
        }
        std::filesystem::remove(temporary, ignored);
        // A stream that failed says why (a full disk); a writer that gave up on its own
        // (a size limit of the format) has no system reason.
        const std::string why = (!good || file.fail())
                                    ? Reason(error)
                                    : std::string("the contents do not fit this file format");
        return "cannot write '" + path + "': " + why;
    }
    std::error_code renamed;
    std::filesystem::rename(temporary, path, renamed);
    if (renamed) {
        std::filesystem::remove(temporary, ignored);
        return "cannot write '" + path + "': " + renamed.message();
    }
    return {};
}

std::string WriteFileAtomically(const std::string& path, const std::string& bytes) {
    return WriteFileAtomically(path, [&bytes](std::ostream& out) {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
    });
}
