#include "FuzzFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace wavora::fuzz {

namespace {

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        // WAVORA_FUZZ_SCRATCH names a parent folder (the fuzz stage gives a memory-backed one
        // that it removes); every input is written and flushed there, often twice.
        const char* parent = std::getenv("WAVORA_FUZZ_SCRATCH");
        std::string pattern =
            std::string(parent != nullptr ? parent : "/tmp") + "/wavora-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        std::atexit([] {
            const std::string& folder = ScratchFolder();
            for (const char* name : {"/input", "/input~"}) {
                ::unlink((folder + name).c_str());
            }
            ::rmdir(folder.c_str());
        });
        return pattern;
    }();
    return folder;
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
