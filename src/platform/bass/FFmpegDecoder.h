// TDecoder on FFmpeg: demuxing, decoding and conversion to the channel format.
#pragma once

#include "Decoder.h"

#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace wbass {

struct FFmpegDeleter {
    void operator()(AVFormatContext* p) const noexcept;
    void operator()(AVCodecContext* p) const noexcept;
    void operator()(AVFrame* p) const noexcept;
    void operator()(AVPacket* p) const noexcept;
    void operator()(SwrContext* p) const noexcept;
};
template <typename T>
using FFmpegPtr = std::unique_ptr<T, FFmpegDeleter>;

enum class TSourceKind {
    Stream, // whatever FFmpeg decodes, except tracker modules
    Music,  // tracker modules through libopenmpt
    Format, // one named input format only
};

struct TDecoderRequest {
    std::string path;
    TSourceKind kind = TSourceKind::Stream;
    std::string format;          // input format name for TSourceKind::Format
    std::uint32_t musicFreq = 0; // output rate of a module; 0 = 44100
};

class TFFmpegDecoder final : public TDecoder {
public:
    // The decoder, or nullptr with the library error code set.
    [[nodiscard]] static std::unique_ptr<TFFmpegDecoder> Open(const TDecoderRequest& request);
    ~TFFmpegDecoder() override;

    [[nodiscard]] TPcmFormat Format() const override { return format_; }
    [[nodiscard]] std::optional<std::uint64_t> LengthFrames() const override { return length_; }
    [[nodiscard]] std::size_t Read(std::uint8_t* dst, std::size_t size) override;
    [[nodiscard]] bool AtEnd() const override;
    [[nodiscard]] bool Seek(std::uint64_t frame) override;

private:
    TFFmpegDecoder() = default;
    [[nodiscard]] bool DecodeMore();
    [[nodiscard]] bool Convert(const AVFrame& frame);
    [[nodiscard]] bool ConfigureResampler(const AVFrame& frame);
    void ScanLength(const std::string& path);

    FFmpegPtr<AVFormatContext> input_;
    FFmpegPtr<AVCodecContext> codec_;
    FFmpegPtr<AVPacket> packet_;
    FFmpegPtr<AVFrame> frame_;
    FFmpegPtr<SwrContext> swr_;
    int stream_ = -1;
    TPcmFormat format_;
    std::optional<std::uint64_t> length_;
    // input parameters the resampler was set up for
    int swrFormat_ = -1;
    int swrRate_ = 0;
    int swrChannels_ = 0;
    bool passThrough_ = false;

    std::vector<std::uint8_t> pending_; // converted bytes not yet delivered
    std::size_t pendingPos_ = 0;
    std::uint64_t cursor_ = 0; // frame index of the first pending byte
    std::uint64_t skipTo_ = 0; // after a seek: frames before this one are dropped
    bool seeking_ = false;
    bool draining_ = false;
    bool eof_ = false;
    // Modules render in whole chunks past their end: delivery stops at the announced length.
    bool capAtLength_ = false;
};

} // namespace wbass
