// Test helper: swaps a name between a regular file and a FIFO as fast as it can, until
// killed, so that a reader checking the name and then opening it sees the two differ.
// Usage: swap-fifo <name> <text of the regular file>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: swap-fifo <name> <text>\n");
        return 2;
    }
    const std::string name = argv[1];
    const std::string next = name + ".next";
    const char* text = argv[2];
    for (;;) {
        const int fd = ::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, text, std::strlen(text)) < 0 || ::close(fd) != 0 ||
            ::rename(next.c_str(), name.c_str()) != 0) {
            std::perror("swap-fifo: regular file");
            return 1;
        }
        if (::mkfifo(next.c_str(), 0644) != 0 || ::rename(next.c_str(), name.c_str()) != 0) {
            std::perror("swap-fifo: FIFO");
            return 1;
        }
    }
}
