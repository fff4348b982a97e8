// Replays fuzz inputs through a fuzz target without libFuzzer: every file named on the command line, or
// found below a folder named there, is passed to LLVMFuzzerTestOneInput once. The sanitizer build runs
// this over each target's corpus, so every seed and every input that once crashed stays a test.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

static void RunFile(const std::filesystem::path& path, std::size_t& count)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++count;
}

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file())
                    RunFile(entry.path(), count);
        } else if (std::filesystem::is_regular_file(arg)) {
            RunFile(arg, count);
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 2;
        }
    }
    if (count == 0) {
        std::fprintf(stderr, "no inputs replayed\n");
        return 2;
    }
    std::printf("%zu inputs replayed\n", count);
    return 0;
}
