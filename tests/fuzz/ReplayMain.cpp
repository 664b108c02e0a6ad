// Runs every file of the given corpus directories (or the given files) through the fuzz target
// once, so that a build without libFuzzer checks the committed corpus as a test.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{

std::string current;  // the input being run, named when a property aborts the run
bool running = false; // within the target

// A target that ends the process from within must not pass for a clean replay.
void refuseAnEarlyExit()
{
    if (!running)
        return;
    const std::string text = "the process ended while replaying " + current + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    ::_exit(1);
}

void nameTheInput(int signal)
{
    const std::string text = "while replaying " + current + "\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::vector<std::filesystem::path> inputsOf(const std::filesystem::path& path)
{
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::directory_iterator(path))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else if (std::filesystem::is_regular_file(path)) {
        inputs.push_back(path);
    }
    return inputs;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY_OR_FILE...\n", argv[0]);
        return 1;
    }
    std::atexit(refuseAnEarlyExit);
    std::signal(SIGABRT, nameTheInput);
    std::signal(SIGSEGV, nameTheInput);
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::vector<std::filesystem::path> inputs = inputsOf(argv[i]);
        // A corpus that is missing or empty would let the test pass without checking anything.
        if (inputs.empty()) {
            std::fprintf(stderr, "%s: no inputs to replay\n", argv[i]);
            return 1;
        }
        for (const std::filesystem::path& input : inputs) {
            current = input.string();
            std::ifstream file(input, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
            try {
                running = true;
                LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()),
                                       bytes.size());
                running = false;
            } catch (const std::exception& error) {
                running = false;
                std::fprintf(stderr, "%s: exception escaped: %s\n", current.c_str(), error.what());
                return 1;
            }
        }
        replayed += inputs.size();
    }
    std::printf("replayed %zu inputs\n", replayed);
    return 0;
}
