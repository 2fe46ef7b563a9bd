// Runs a fuzz target over every file of its seed corpus without libFuzzer, so that the corpus
// and the target's own checks are a test of every build, the sanitized one included.
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
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
    if (DIR* dir = opendir(argv[1])) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(dir);
    }
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
