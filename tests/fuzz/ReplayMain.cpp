// The plain driver: runs fuzz inputs through a target's entry point without
// libFuzzer, so any compiler builds it and CI replays every corpus in the
// sanitizer build. Arguments are files and folders (the regular files directly
// inside, in name order). Each input runs as it is and then, unless --exact is
// given, cut short at a few lengths and with single bytes changed along it:
// cheap neighbours of every seed that reach the readers' edge cases on every
// run. A crash names the input it was running, and so does a run that takes
// longer than kSecondsPerRun, which is stopped as a hang.
//
// With --order (for a target that defines FuzzResultDigest) each input runs
// instead as it is, first alone in a process of its own, then after each
// other input in a process of their own, and the digests must agree: an
// input's outcome must not depend on what ran before it.
//
//   fuzz_replay_<target> [--exact | --order] file-or-folder...
#include "FuzzSupport.h"

#include <csignal>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ChildRun.h"

// Present when a sanitizer runtime is linked in: called after its report.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace {

// The cut lengths are fractions of the input; the changed bytes are spread
// evenly along it and cycle through characters that mean something to the
// text formats (numbers, separators, braces, comments, quotes) or to binary
// headers (0 and 0xFF).
const int kTruncations = 8;
const size_t kChangedBytes = 24;
const char kReplacements[] = {'0', ' ', '\n', '-', ';', ',', '{', '}', '<', '"', '#', '9', '.', '(', 'x', '\0', '\xff'};
// Far beyond any input of a corpus, even in the sanitizer build.
const unsigned kSecondsPerRun = 20;

// What is running now, for the crash report; fixed storage because the
// report is written from a signal handler or a dying sanitizer.
char gCurrent[512] = "(no input yet)";

void SetCurrent(const std::string& path, const char* variation, size_t at)
{
    std::snprintf(gCurrent, sizeof gCurrent, "%s (%s %zu)", path.c_str(), variation, at);
}

void ReportCurrent()
{
    const char prefix[] = "\nfuzz replay crashed on: ";
    if (write(STDERR_FILENO, prefix, sizeof prefix - 1) < 0) return;
    if (write(STDERR_FILENO, gCurrent, std::strlen(gCurrent)) < 0) return;
    if (write(STDERR_FILENO, "\n", 1) < 0) return;
}

void OnSignal(int signal)
{
    ReportCurrent();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void OnTimeout(int)
{
    const char message[] = "\nfuzz replay: a run took too long (a hang)";
    if (write(STDERR_FILENO, message, sizeof message - 1) < 0) _exit(3);
    ReportCurrent();
    _exit(3);
}

void InstallCrashReport()
{
    std::signal(SIGALRM, OnTimeout);
    std::signal(SIGABRT, OnSignal); // broken invariants; sanitizers leave this signal alone
    if (__sanitizer_set_death_callback) {
        __sanitizer_set_death_callback(ReportCurrent);
        return;
    }
    for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) std::signal(s, OnSignal);
}

void Run(const std::string& bytes)
{
    alarm(kSecondsPerRun);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    alarm(0);
}

// The input, then its truncations and single-byte changes; returns the runs made.
size_t Replay(const std::string& path, const std::string& bytes, bool exact)
{
    SetCurrent(path, "whole, length", bytes.size());
    Run(bytes);
    if (exact || bytes.empty()) return 1;
    size_t runs = 1;
    for (int k = 1; k < kTruncations; ++k) {
        const size_t length = bytes.size() * size_t(k) / kTruncations;
        SetCurrent(path, "cut to length", length);
        Run(bytes.substr(0, length));
        ++runs;
    }
    const size_t stride = std::max<size_t>(1, bytes.size() / kChangedBytes);
    for (size_t at = 0; at < bytes.size(); at += stride) {
        std::string changed = bytes;
        changed[at] = kReplacements[(at / stride) % sizeof kReplacements];
        SetCurrent(path, "byte changed at", at);
        Run(changed);
        ++runs;
    }
    return runs;
}

struct Input
{
    std::string path;
    std::string bytes;
};

// Runs the inputs in a new process, in the order given, and gives back the
// digest the last one left; false when that process did not finish well (a
// crash reports itself there). The scratch folder and the leak check are
// the parent's: the child leaves through _exit.
bool DigestInChild(const std::vector<const Input*>& inputs, uint64_t* digest)
{
    const ChildRun run = RunInChild(
        [&inputs](std::string& bytes) {
            for (const Input* input : inputs) {
                SetCurrent(input->path, "in order, length", input->bytes.size());
                Run(input->bytes);
            }
            const uint64_t result = FuzzResultDigest();
            bytes.assign(reinterpret_cast<const char*>(&result), sizeof result);
            return 0;
        },
        true);
    if (run.exitStatus != 0 || run.bytes.size() != sizeof *digest) return false;
    std::memcpy(digest, run.bytes.data(), sizeof *digest);
    return true;
}

// Each input alone, then after each other one; 0 when every result agrees.
int CheckOrder(const std::vector<Input>& inputs)
{
    if (!FuzzResultDigest) {
        std::fprintf(stderr, "fuzz replay: --order needs a target with a result digest\n");
        return 2;
    }
    // Made here, so that every child shares it and it goes at the end.
    FuzzScratchDir();
    std::vector<uint64_t> alone(inputs.size());
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (!DigestInChild({&inputs[i]}, &alone[i])) {
            std::fprintf(stderr, "fuzz replay: %s failed alone\n", inputs[i].path.c_str());
            return 1;
        }
    }
    int differences = 0;
    for (size_t first = 0; first < inputs.size(); ++first) {
        for (size_t then = 0; then < inputs.size(); ++then) {
            if (then == first) continue;
            uint64_t after = 0;
            if (!DigestInChild({&inputs[first], &inputs[then]}, &after)) {
                std::fprintf(stderr, "fuzz replay: %s failed after %s\n", inputs[then].path.c_str(),
                             inputs[first].path.c_str());
                return 1;
            }
            if (after != alone[then]) {
                std::fprintf(stderr, "fuzz replay: %s gives another result after %s than alone\n",
                             inputs[then].path.c_str(), inputs[first].path.c_str());
                ++differences;
            }
        }
    }
    if (differences > 0) return 1;
    std::printf("fuzz replay: %zu inputs, each alone and after each other one, the same results\n", inputs.size());
    return 0;
}

bool ReadFile(const std::string& path, std::string* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    bool exact = false;
    bool order = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--exact") {
            exact = true;
        } else if (arg == "--order") {
            order = true;
        } else if (std::filesystem::is_directory(arg)) {
            std::vector<std::string> inside;
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) inside.push_back(entry.path().string());
            std::sort(inside.begin(), inside.end());
            files.insert(files.end(), inside.begin(), inside.end());
        } else if (std::filesystem::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "fuzz replay: no file or folder %s\n", arg.c_str());
            return 2;
        }
    }
    // An empty corpus would pass without checking anything.
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s [--exact | --order] file-or-folder... (no inputs found)\n", argv[0]);
        return 2;
    }
    // Read before any runs: a target may change the working folder.
    std::vector<Input> inputs(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        inputs[i].path = files[i];
        if (!ReadFile(files[i], &inputs[i].bytes)) {
            std::fprintf(stderr, "fuzz replay: cannot read %s\n", files[i].c_str());
            return 2;
        }
    }
    InstallCrashReport();
    if (order) return CheckOrder(inputs);
    size_t runs = 0;
    for (const Input& input : inputs) runs += Replay(input.path, input.bytes, exact);
    std::printf("fuzz replay: %zu inputs, %zu runs, no crash\n", files.size(), runs);
    return 0;
}
