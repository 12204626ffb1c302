#include "WmaEncoder.h"

#include "AsfHeader.h"
#include "Error.h"
#include "bass.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstring>

namespace wbass {

std::unique_ptr<TWmaEncoder> TWmaEncoder::Open(std::uint32_t freq, std::uint32_t chans,
                                               std::uint32_t bitrate, const std::string& path,
                                               bool tagsFirst) {
    if (freq == 0 || chans == 0 || chans > 2 || bitrate == 0)
        return Fail(BASS_ERROR_FORMAT, nullptr);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    const AVOutputFormat* format = av_guess_format("asf", nullptr, nullptr);
    if (codec == nullptr || format == nullptr)
        return Fail(BASS_ERROR_NOTAVAIL, nullptr);

    std::unique_ptr<TWmaEncoder> enc(new TWmaEncoder());
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, format, nullptr, path.c_str()) < 0)
        return Fail(BASS_ERROR_MEM, nullptr);
    enc->output_.reset(raw);
    enc->codec_.reset(avcodec_alloc_context3(codec));
    enc->frame_.reset(av_frame_alloc());
    enc->packet_.reset(av_packet_alloc());
    if (!enc->codec_ || !enc->frame_ || !enc->packet_)
        return Fail(BASS_ERROR_MEM, nullptr);

    AVCodecContext* c = enc->codec_.get();
    c->sample_rate = static_cast<int>(freq);
    av_channel_layout_default(&c->ch_layout, static_cast<int>(chans));
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->bit_rate = bitrate;
    c->time_base = AVRational{1, static_cast<int>(freq)};
    if (enc->output_->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0)
        return Fail(BASS_ERROR_FORMAT, nullptr);

    enc->stream_ = avformat_new_stream(enc->output_.get(), nullptr);
    if (enc->stream_ == nullptr || avcodec_parameters_from_context(enc->stream_->codecpar, c) < 0)
        return Fail(BASS_ERROR_MEM, nullptr);
    enc->stream_->time_base = c->time_base;

    if (avio_open(&enc->output_->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
        return Fail(BASS_ERROR_CREATE, nullptr);
    enc->chans_ = chans;
    enc->path_ = path;
    enc->frame_->nb_samples = c->frame_size;
    enc->frame_->format = c->sample_fmt;
    if (av_channel_layout_copy(&enc->frame_->ch_layout, &c->ch_layout) < 0 ||
        av_frame_get_buffer(enc->frame_.get(), 0) < 0)
        return Fail(BASS_ERROR_MEM, nullptr);
    if (!tagsFirst && !enc->WriteHeader())
        return Fail(BASS_ERROR_CREATE, nullptr);
    SetError(BASS_OK);
    return enc;
}

TWmaEncoder::~TWmaEncoder() {
    if (output_ && output_->pb != nullptr) {
        if (!closed_ && headerWritten_)
            av_write_trailer(output_.get());
        avio_closep(&output_->pb);
    }
    // An output context is freed, not closed as an input.
    if (output_)
        avformat_free_context(output_.release());
}

bool TWmaEncoder::WriteHeader() {
    if (headerWritten_)
        return true;
    if (avformat_write_header(output_.get(), nullptr) < 0) {
        failed_ = true;
        return false;
    }
    headerWritten_ = true;
    return true;
}

bool TWmaEncoder::SetTag(const char* name, const char* text) {
    if (headerWritten_ || failed_)
        return Fail(BASS_ERROR_ALREADY, false);
    if (name == nullptr) {
        if (!WriteHeader())
            return Fail(BASS_ERROR_CREATE, false);
        SetError(BASS_OK);
        return true;
    }
    if (*name == '\0')
        return Fail(BASS_ERROR_ILLPARAM, false);
    // Empty texts are left out: an attribute without a value tells a reader nothing.
    if (text != nullptr && *text != '\0')
        av_dict_set(&output_->metadata, name, text, 0);
    SetError(BASS_OK);
    return true;
}

bool TWmaEncoder::Drain() {
    for (;;) {
        const int rc = avcodec_receive_packet(codec_.get(), packet_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return true;
        if (rc < 0)
            return false;
        av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        if (av_interleaved_write_frame(output_.get(), packet_.get()) < 0)
            return false;
    }
}

bool TWmaEncoder::EncodeFrame(bool flush) {
    const int frameSize = codec_->frame_size;
    if (av_frame_make_writable(frame_.get()) < 0)
        return false;
    const std::size_t have = pending_.size() / chans_;
    const std::size_t take = std::min<std::size_t>(have, static_cast<std::size_t>(frameSize));
    for (std::uint32_t c = 0; c < chans_; ++c) {
        auto* plane = reinterpret_cast<float*>(frame_->data[c]);
        for (std::size_t i = 0; i < take; ++i)
            plane[i] = pending_[i * chans_ + c];
        // The last frame is completed with silence.
        std::fill(plane + take, plane + frameSize, 0.0f);
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(take * chans_));
    frame_->pts = pts_;
    pts_ += frameSize;
    if (avcodec_send_frame(codec_.get(), frame_.get()) < 0)
        return false;
    if (flush && avcodec_send_frame(codec_.get(), nullptr) < 0)
        return false;
    return Drain();
}

bool TWmaEncoder::Write(const void* data, std::size_t size) {
    if (failed_ || closed_)
        return Fail(BASS_ERROR_HANDLE, false);
    if (!WriteHeader())
        return Fail(BASS_ERROR_CREATE, false);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    partial_.insert(partial_.end(), bytes, bytes + size);
    const std::size_t samples = partial_.size() / 2;
    pending_.reserve(pending_.size() + samples);
    for (std::size_t i = 0; i < samples; ++i) {
        const auto s = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(partial_[2 * i] | (partial_[2 * i + 1] << 8)));
        pending_.push_back(static_cast<float>(s) / 32768.0f);
    }
    partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(samples * 2));
    const std::size_t frame = static_cast<std::size_t>(codec_->frame_size) * chans_;
    while (pending_.size() >= frame) {
        if (!EncodeFrame(false)) {
            failed_ = true;
            return Fail(BASS_ERROR_CREATE, false);
        }
    }
    SetError(BASS_OK);
    return true;
}

bool TWmaEncoder::Close() {
    if (closed_)
        return true;
    bool ok = !failed_ && WriteHeader();
    if (ok) {
        if (pending_.size() >= chans_)
            ok = EncodeFrame(true);
        else
            ok = avcodec_send_frame(codec_.get(), nullptr) >= 0 && Drain();
    }
    if (headerWritten_)
        ok = av_write_trailer(output_.get()) >= 0 && ok;
    closed_ = true;
    avio_closep(&output_->pb);
    // Each attribute once: the muxer writes the described ones twice.
    return ok && DropDuplicateAttributes(path_);
}

} // namespace wbass
