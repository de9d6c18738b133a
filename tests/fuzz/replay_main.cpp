// Runs a fuzz target without libFuzzer: calls its entry point once with the bytes of every file
// named on the command line and of every file in the directories named there (in name order,
// so a run is repeatable). Arguments starting with "-" are libFuzzer options and are ignored.
// Fails when it finds no input at all, so that a missing corpus never passes unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(2);
    }
    // A copy of exactly the input's size, so that AddressSanitizer sees any read past its end.
    std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(copy.empty() ? nullptr : copy.data(), copy.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        if (argv[i][0] == '-') {
            continue;
        }
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else {
            files.push_back(arg);
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "no inputs: give corpus directories or files\n");
        return 2;
    }
    for (const auto& file : files) {
        RunFile(file);
    }
    std::printf("%zu inputs ran\n", files.size());
    return 0;
}
