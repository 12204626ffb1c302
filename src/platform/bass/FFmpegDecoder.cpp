#include "FFmpegDecoder.h"

#include "Error.h"
#include "bass.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

namespace wbass {

void FFmpegDeleter::operator()(AVFormatContext* p) const noexcept {
    avformat_close_input(&p);
}
void FFmpegDeleter::operator()(AVCodecContext* p) const noexcept {
    avcodec_free_context(&p);
}
void FFmpegDeleter::operator()(AVFrame* p) const noexcept {
    av_frame_free(&p);
}
void FFmpegDeleter::operator()(AVPacket* p) const noexcept {
    av_packet_free(&p);
}
void FFmpegDeleter::operator()(SwrContext* p) const noexcept {
    swr_free(&p);
}

namespace {

constexpr std::uint32_t kDefaultMusicFreq = 44100;

struct DictDeleter {
    void operator()(AVDictionary* d) const noexcept { av_dict_free(&d); }
};

FFmpegPtr<AVFormatContext> OpenInput(const std::string& path, const AVInputFormat* format,
                                     AVDictionary** options, int& error) {
    AVFormatContext* raw = nullptr;
    error = avformat_open_input(&raw, path.c_str(), format, options);
    if (error < 0)
        return nullptr;
    return FFmpegPtr<AVFormatContext>(raw);
}

bool IsModuleFormat(const AVInputFormat* format) {
    return format != nullptr && std::strcmp(format->name, "libopenmpt") == 0;
}

} // namespace

TFFmpegDecoder::~TFFmpegDecoder() = default;

std::unique_ptr<TFFmpegDecoder> TFFmpegDecoder::Open(const TDecoderRequest& request) {
    const AVInputFormat* forced = nullptr;
    if (request.kind == TSourceKind::Music)
        forced = av_find_input_format("libopenmpt");
    else if (request.kind == TSourceKind::Format)
        forced = av_find_input_format(request.format.c_str());
    if (request.kind != TSourceKind::Stream && forced == nullptr)
        return Fail(BASS_ERROR_NOTAVAIL, nullptr);

    std::unique_ptr<AVDictionary, DictDeleter> options;
    if (request.kind == TSourceKind::Music) {
        AVDictionary* raw = nullptr;
        const std::uint32_t freq = request.musicFreq ? request.musicFreq : kDefaultMusicFreq;
        av_dict_set_int(&raw, "sample_rate", freq, 0);
        av_dict_set(&raw, "layout", "stereo", 0);
        options.reset(raw);
    }

    std::unique_ptr<TFFmpegDecoder> decoder(new TFFmpegDecoder());
    int error = 0;
    AVDictionary* rawOptions = options.release();
    decoder->input_ = OpenInput(request.path, forced, &rawOptions, error);
    options.reset(rawOptions);
    if (!decoder->input_)
        return Fail(error == AVERROR(ENOENT) || error == AVERROR(EACCES) ? BASS_ERROR_FILEOPEN
                                                                         : BASS_ERROR_FILEFORM,
                    nullptr);
    AVFormatContext* input = decoder->input_.get();
    if (request.kind == TSourceKind::Stream && IsModuleFormat(input->iformat))
        return Fail(BASS_ERROR_FILEFORM, nullptr);
    if (avformat_find_stream_info(input, nullptr) < 0)
        return Fail(BASS_ERROR_FILEFORM, nullptr);

    const AVCodec* codec = nullptr;
    decoder->stream_ = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (decoder->stream_ < 0 || codec == nullptr)
        return Fail(decoder->stream_ == AVERROR_DECODER_NOT_FOUND ? BASS_ERROR_FORMAT
                                                                  : BASS_ERROR_FILEFORM,
                    nullptr);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (static_cast<int>(i) != decoder->stream_)
            input->streams[i]->discard = AVDISCARD_ALL;
    AVStream* stream = input->streams[decoder->stream_];

    decoder->codec_.reset(avcodec_alloc_context3(codec));
    if (!decoder->codec_ ||
        avcodec_parameters_to_context(decoder->codec_.get(), stream->codecpar) < 0)
        return Fail(BASS_ERROR_MEM, nullptr);
    decoder->codec_->thread_count = 1;
    decoder->codec_->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder->codec_.get(), codec, nullptr) < 0)
        return Fail(BASS_ERROR_FORMAT, nullptr);

    const AVCodecParameters* par = stream->codecpar;
    decoder->format_.freq = static_cast<std::uint32_t>(par->sample_rate);
    decoder->format_.chans = static_cast<std::uint32_t>(par->ch_layout.nb_channels);
    decoder->format_.eightBit = par->codec_id == AV_CODEC_ID_PCM_U8;
    if (!decoder->format_.Valid() || decoder->format_.chans > 32)
        return Fail(BASS_ERROR_FORMAT, nullptr);

    decoder->packet_.reset(av_packet_alloc());
    decoder->frame_.reset(av_frame_alloc());
    if (!decoder->packet_ || !decoder->frame_)
        return Fail(BASS_ERROR_MEM, nullptr);

    const bool estimated = input->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    if (stream->duration > 0 && !estimated) {
        decoder->length_ = static_cast<std::uint64_t>(
            av_rescale_q(stream->duration, stream->time_base, AVRational{1, par->sample_rate}));
    } else if (input->duration > 0 && !estimated) {
        decoder->length_ =
            static_cast<std::uint64_t>(av_rescale(input->duration, par->sample_rate, AV_TIME_BASE));
    } else if (request.kind != TSourceKind::Music) {
        decoder->ScanLength(request.path);
    }
    decoder->capAtLength_ = request.kind == TSourceKind::Music && decoder->length_.has_value();
    SetError(BASS_OK);
    return decoder;
}

// The length from the packets themselves, where the header gives none or only an estimate
// (MP3 without a VBR header): a pass over the packets costs a fraction of decoding.
void TFFmpegDecoder::ScanLength(const std::string& path) {
    int error = 0;
    FFmpegPtr<AVFormatContext> scan = OpenInput(path, input_->iformat, nullptr, error);
    if (!scan || avformat_find_stream_info(scan.get(), nullptr) < 0 ||
        stream_ >= static_cast<int>(scan->nb_streams))
        return;
    for (unsigned i = 0; i < scan->nb_streams; ++i)
        if (static_cast<int>(i) != stream_)
            scan->streams[i]->discard = AVDISCARD_ALL;
    const AVStream* stream = scan->streams[stream_];
    FFmpegPtr<AVPacket> packet(av_packet_alloc());
    if (!packet)
        return;
    std::int64_t total = 0;
    while (av_read_frame(scan.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream_ && packet->duration > 0)
            total += packet->duration;
        av_packet_unref(packet.get());
    }
    if (total > 0)
        length_ = static_cast<std::uint64_t>(
            av_rescale_q(total, stream->time_base, AVRational{1, stream->codecpar->sample_rate}));
}

bool TFFmpegDecoder::ConfigureResampler(const AVFrame& frame) {
    const bool planarOrOther =
        frame.format != (format_.eightBit ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16);
    passThrough_ = !planarOrOther && frame.sample_rate == static_cast<int>(format_.freq) &&
                   frame.ch_layout.nb_channels == static_cast<int>(format_.chans);
    swrFormat_ = frame.format;
    swrRate_ = frame.sample_rate;
    swrChannels_ = frame.ch_layout.nb_channels;
    swr_.reset();
    if (passThrough_)
        return true;
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, static_cast<int>(format_.chans));
    SwrContext* raw = nullptr;
    const int rc = swr_alloc_set_opts2(
        &raw, &outLayout, format_.eightBit ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16,
        static_cast<int>(format_.freq), const_cast<AVChannelLayout*>(&frame.ch_layout),
        static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    swr_.reset(raw);
    return rc >= 0 && swr_init(swr_.get()) >= 0;
}

bool TFFmpegDecoder::Convert(const AVFrame& frame) {
    if (frame.nb_samples <= 0)
        return true;
    if (frame.format != swrFormat_ || frame.sample_rate != swrRate_ ||
        frame.ch_layout.nb_channels != swrChannels_) {
        if (!ConfigureResampler(frame))
            return false;
    }
    // Frames before the seek target are dropped, sample-exact.
    std::int64_t skip = 0;
    std::uint64_t start = cursor_ + (pending_.size() - pendingPos_) / format_.Block();
    if (seeking_) {
        const AVStream* stream = input_->streams[stream_];
        std::int64_t pts = frame.best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE) {
            if (stream->start_time != AV_NOPTS_VALUE)
                pts -= stream->start_time;
            const std::int64_t at =
                av_rescale_q(pts, stream->time_base, AVRational{1, static_cast<int>(format_.freq)});
            start = static_cast<std::uint64_t>(std::max<std::int64_t>(at, 0));
        } else {
            start = skipTo_;
        }
        if (start + static_cast<std::uint64_t>(frame.nb_samples) <= skipTo_) {
            cursor_ = start + static_cast<std::uint64_t>(frame.nb_samples);
            return true;
        }
        if (start < skipTo_)
            skip = static_cast<std::int64_t>(skipTo_ - start);
        cursor_ = start;
        seeking_ = false;
    }

    const std::size_t block = format_.Block();
    if (passThrough_) {
        const std::size_t bytes = static_cast<std::size_t>(frame.nb_samples) * block;
        const std::size_t drop = std::min(bytes, static_cast<std::size_t>(skip) * block);
        pending_.insert(pending_.end(), frame.data[0] + drop, frame.data[0] + bytes);
        cursor_ += drop / block;
        return true;
    }
    const int capacity = swr_get_out_samples(swr_.get(), frame.nb_samples);
    if (capacity < 0)
        return false;
    const std::size_t old = pending_.size();
    pending_.resize(old + static_cast<std::size_t>(capacity) * block);
    std::uint8_t* out = pending_.data() + old;
    const int got =
        swr_convert(swr_.get(), &out, capacity,
                    const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
    if (got < 0) {
        pending_.resize(old);
        return false;
    }
    std::size_t bytes = static_cast<std::size_t>(got) * block;
    const std::size_t drop = std::min(bytes, static_cast<std::size_t>(skip) * block);
    if (drop > 0)
        std::memmove(out, out + drop, bytes - drop);
    pending_.resize(old + bytes - drop);
    cursor_ += drop / block;
    return true;
}

// Decodes at least one more frame into pending_; false at the end of the source.
bool TFFmpegDecoder::DecodeMore() {
    AVCodecContext* codec = codec_.get();
    while (!eof_) {
        const int received = avcodec_receive_frame(codec, frame_.get());
        if (received >= 0) {
            const bool ok = Convert(*frame_);
            av_frame_unref(frame_.get());
            if (!ok) {
                // A frame that cannot be converted ends the stream rather than corrupting it.
                eof_ = true;
                return false;
            }
            return true;
        }
        if (received == AVERROR_EOF) {
            eof_ = true;
            break;
        }
        if (received != AVERROR(EAGAIN)) {
            // A damaged frame: the decoder drops it and goes on with the next packet.
            continue;
        }
        if (draining_) {
            eof_ = true;
            break;
        }
        const int read = av_read_frame(input_.get(), packet_.get());
        if (read < 0) {
            draining_ = true;
            avcodec_send_packet(codec, nullptr);
            continue;
        }
        if (packet_->stream_index == stream_)
            avcodec_send_packet(codec, packet_.get()); // a damaged packet is skipped
        av_packet_unref(packet_.get());
    }
    // Once the whole source has been decoded, its length is known exactly.
    if (!seeking_ && !capAtLength_)
        length_ = cursor_ + (pending_.size() - pendingPos_) / format_.Block();
    return false;
}

bool TFFmpegDecoder::AtEnd() const {
    if (capAtLength_ && cursor_ >= *length_)
        return true;
    return eof_ && pendingPos_ == pending_.size();
}

std::size_t TFFmpegDecoder::Read(std::uint8_t* dst, std::size_t size) {
    const std::size_t block = format_.Block();
    if (capAtLength_)
        size = static_cast<std::size_t>(
            std::min<std::uint64_t>(size / block, *length_ > cursor_ ? *length_ - cursor_ : 0) *
            block);
    size -= size % block;
    std::size_t done = 0;
    while (done < size) {
        if (pendingPos_ == pending_.size()) {
            pending_.clear();
            pendingPos_ = 0;
            if (!DecodeMore() && pending_.empty())
                break;
            continue;
        }
        const std::size_t n = std::min(size - done, pending_.size() - pendingPos_);
        std::memcpy(dst + done, pending_.data() + pendingPos_, n);
        pendingPos_ += n;
        done += n;
        cursor_ += n / block;
    }
    return done;
}

bool TFFmpegDecoder::Seek(std::uint64_t frame) {
    AVStream* stream = input_->streams[stream_];
    std::int64_t ts =
        av_rescale_q(static_cast<std::int64_t>(frame),
                     AVRational{1, static_cast<int>(format_.freq)}, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE)
        ts += stream->start_time;
    if (av_seek_frame(input_.get(), stream_, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(input_.get(), stream_, ts, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    avcodec_flush_buffers(codec_.get());
    pending_.clear();
    pendingPos_ = 0;
    draining_ = false;
    eof_ = false;
    skipTo_ = frame;
    cursor_ = frame;
    seeking_ = true;
    return true;
}

} // namespace wbass
