#include "FuzzFile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace wavora::fuzz {

namespace {

// A plain array, not a std::string: the clean-up at exit runs after static objects are
// destroyed and must not touch one.
std::array<char, 4096> gScratchFolder{};

void RemoveScratchFolder() {
    const std::string folder(gScratchFolder.data());
    for (const char* name : {"/input", "/input~"}) {
        ::unlink((folder + name).c_str());
    }
    ::rmdir(folder.c_str());
}

std::string ScratchFolder() {
    static const bool made = [] {
        // WAVORA_FUZZ_SCRATCH names a parent folder (the fuzz stage gives a memory-backed one
        // that it removes); every input is written and flushed there, often twice.
        const char* parent = std::getenv("WAVORA_FUZZ_SCRATCH");
        const int length =
            std::snprintf(gScratchFolder.data(), gScratchFolder.size(), "%s/wavora-fuzz-XXXXXX",
                          parent != nullptr ? parent : "/tmp");
        if (length < 0 || static_cast<std::size_t>(length) >= gScratchFolder.size() ||
            ::mkdtemp(gScratchFolder.data()) == nullptr) {
            std::abort();
        }
        std::atexit(RemoveScratchFolder);
        return true;
    }();
    (void)made;
    return gScratchFolder.data();
}

} // namespace

std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name) {
    const std::string path = ScratchFolder() + "/" + name;
    ::unlink((path + "~").c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::abort();
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) {
            std::abort();
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return path;
}

std::vector<std::uint8_t> ReadBack(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return bytes;
    }
    std::uint8_t buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(f);
    return bytes;
}

void ExpectUnchanged(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> now = ReadBack(path);
    if (now.size() != size || (size > 0 && std::memcmp(now.data(), data, size) != 0) ||
        ::access((path + "~").c_str(), F_OK) == 0) {
        std::fprintf(stderr, "a failed rewrite changed the file\n");
        std::abort();
    }
}

} // namespace wavora::fuzz
