// Reading back what the spawn probe (tests/resources/spawn_probe) wrote: the
// argument vector it was started with, each argument NUL-terminated.
#ifndef CVSTV_TESTS_SPAWN_PROBE_H
#define CVSTV_TESTS_SPAWN_PROBE_H

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> read_probe_arguments(const std::filesystem::path &out)
{
    std::ifstream in(out, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    std::vector<std::string> args;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\0', start);
        args.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

#endif
