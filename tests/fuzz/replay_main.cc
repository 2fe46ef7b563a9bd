// Runs a fuzz target over every file of its seed corpus without libFuzzer, so that the corpus
// and the target's own checks are a test of every build, the sanitized one included.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-DIRECTORY\n", argv[0]);
        return 2;
    }
    std::vector<std::string> names;
    std::error_code unreadable; // an empty list: the run fails below
    for (const auto& entry : std::filesystem::directory_iterator(argv[1], unreadable))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        std::ifstream in(std::string(argv[1]) + "/" + name, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const std::string input = bytes.str();
        std::printf("%s: %zu bytes\n", name.c_str(), input.size());
        std::fflush(stdout); // a broken check aborts: the input's name is out first
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    return names.empty() ? 1 : 0; // an empty corpus tests nothing
}
