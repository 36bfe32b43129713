// Without libFuzzer a fuzz target is a program that runs its entry once for
// every file named on the command line, and for every file in every folder
// named there: the seeds and the kept reproducers become a regression test.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    int failures = 0;
    int runs = 0;
    for (int a = 1; a < argc; ++a) {
        const std::filesystem::path arg(argv[a]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) {
                    failures += RunFile(entry.path());
                    ++runs;
                }
        } else {
            failures += RunFile(arg);
            ++runs;
        }
    }
    std::printf("%d inputs replayed\n", runs);
    return failures == 0 && runs > 0 ? 0 : 1;
}
