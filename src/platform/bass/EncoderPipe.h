// An encoder program fed through its standard input with a WAV stream of a channel.
#pragma once

#include "PcmFormat.h"

#include <atomic>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace wbass {

class TEncoderPipe {
public:
    // Starts the program of args in the current folder and writes the WAV header. nullptr with
    // the error code set when it cannot be started.
    [[nodiscard]] static std::unique_ptr<TEncoderPipe> Start(const std::vector<std::string>& args,
                                                             const TPcmFormat& format);
    ~TEncoderPipe();
    TEncoderPipe(const TEncoderPipe&) = delete;
    TEncoderPipe& operator=(const TEncoderPipe&) = delete;

    // The channel's reading thread. False once the program no longer takes input.
    bool Write(const void* data, std::size_t size);
    // Any thread: the program runs and takes input.
    [[nodiscard]] bool Active();
    // Closes the input and waits for the program to exit.
    void Finish();

private:
    TEncoderPipe(pid_t pid, int input) : pid_(pid), input_(input) {}
    void Reap(bool wait);

    const pid_t pid_;
    int input_;                       // write end; owned by the writer until Finish
    std::atomic<bool> broken_{false}; // the program stopped reading
    std::atomic<bool> exited_{false};
    std::atomic<bool> reaping_{false};
};

// The WAV header of a stream of unknown length in format (44 bytes).
[[nodiscard]] std::string StreamingWavHeader(const TPcmFormat& format);
// Where a program name is found: as given when it holds a '/', else in the executable's folder,
// else "" (the caller searches PATH).
[[nodiscard]] std::string ProgramInOwnFolder(const std::string& name);

} // namespace wbass
