// WMA encoding to a file: FFmpeg's wmav2 encoder and asf muxer, fed with 16-bit PCM.
#pragma once

#include "FFmpegDecoder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVStream;

namespace wbass {

class TWmaEncoder {
public:
    // nullptr with the error code set when the file or the encoder cannot be opened. With
    // tagsFirst, the header waits for SetTag(nullptr, nullptr).
    [[nodiscard]] static std::unique_ptr<TWmaEncoder> Open(std::uint32_t freq, std::uint32_t chans,
                                                           std::uint32_t bitrate,
                                                           const std::string& path, bool tagsFirst);
    ~TWmaEncoder();
    TWmaEncoder(const TWmaEncoder&) = delete;
    TWmaEncoder& operator=(const TWmaEncoder&) = delete;

    // An attribute with exactly this name; (nullptr, nullptr) ends the list and writes the
    // header. False once the header is written.
    [[nodiscard]] bool SetTag(const char* name, const char* text);
    // Interleaved 16-bit PCM of the opened format.
    [[nodiscard]] bool Write(const void* data, std::size_t size);
    // Encodes what is left and completes the file.
    [[nodiscard]] bool Close();

private:
    TWmaEncoder() = default;
    [[nodiscard]] bool WriteHeader();
    [[nodiscard]] bool EncodeFrame(bool flush);
    [[nodiscard]] bool Drain();

    FFmpegPtr<AVFormatContext> output_;
    FFmpegPtr<AVCodecContext> codec_;
    FFmpegPtr<AVFrame> frame_;
    FFmpegPtr<AVPacket> packet_;
    AVStream* stream_ = nullptr; // owned by output_
    std::string path_;
    std::uint32_t chans_ = 0;
    std::vector<float> pending_;        // interleaved samples waiting for a whole frame
    std::vector<std::uint8_t> partial_; // bytes of an incomplete sample frame
    std::int64_t pts_ = 0;
    bool headerWritten_ = false;
    bool failed_ = false;
    bool closed_ = false;
};

} // namespace wbass
