// The read limit for many files: reads every file named on standard input,
// one per line, on two threads, and does nothing else with the bytes.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

int main() {
    std::vector<std::string> files;
    for (std::string line; std::getline(std::cin, line);) files.push_back(line);
    std::atomic<size_t> next{0};
    auto work = [&] {
        // On a page boundary: some processors copy into an unaligned buffer
        // at a fifth of the speed, which would understate the limit.
        constexpr size_t size = 4 << 20;
        char* buffer = static_cast<char*>(std::aligned_alloc(4096, size));
        for (size_t i = next++; i < files.size(); i = next++) {
            const int fd = open(files[i].c_str(), O_RDONLY);
            if (fd < 0) continue;
            while (read(fd, buffer, size) > 0) {
            }
            close(fd);
        }
        std::free(buffer);
    };
    std::thread helper(work);
    work();
    helper.join();
}
