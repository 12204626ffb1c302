#include "WavWriter.h"

#include "FileIo.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

namespace wavora {
namespace {

void Put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void PutTag(std::uint8_t* at, const char (&tag)[5]) {
    std::copy(tag, tag + 4, at);
}

// The size fields are 32-bit: stop before the RIFF size would overflow.
constexpr std::uint64_t MaxDataBytes = 0xFFFFFFFFull - (WavHeaderSize - 8);

} // namespace

std::array<std::uint8_t, WavHeaderSize> WavHeader(const PcmFormat& format, std::uint32_t riffSize,
                                                  std::uint32_t dataSize) {
    std::array<std::uint8_t, WavHeaderSize> header{};
    std::uint8_t* h = header.data();
    PutTag(h + 0, "RIFF");
    Put32(h + 4, riffSize);
    PutTag(h + 8, "WAVE");
    PutTag(h + 12, "fmt ");
    Put32(h + 16, 16);
    Put16(h + 20, 1);
    Put16(h + 22, format.channels);
    Put32(h + 24, format.sampleRate);
    Put32(h + 28, static_cast<std::uint32_t>(format.BlockAlign()) * format.sampleRate);
    Put16(h + 32, format.BlockAlign());
    Put16(h + 34, format.bitsPerSample);
    PutTag(h + 36, "data");
    Put32(h + 40, dataSize);
    return header;
}

WavWriteResult WriteWav(const std::string& path, PcmSource& source, const ConvertControl& control,
                        std::span<std::uint8_t> buffer) {
    WavWriteResult result;
    const PcmFormat format = source.Format();
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file) {
        result.status = WavWriteResult::Status::CannotCreate;
        result.error = errno;
        return result;
    }
    const auto header = WavHeader(format, 0, 0);
    int error = WriteBytes(file.Get(), header.data(), header.size());

    std::uint32_t length = source.Length();
    if (length == 0) {
        length = UnknownLength;
    }
    control.Maximum(length);
    std::uint64_t processed = 0;
    const std::uint64_t limit =
        MaxDataBytes - MaxDataBytes % std::max<std::uint16_t>(format.BlockAlign(), 1);
    while (error == 0 && source.IsActive()) {
        const std::uint32_t got = source.Read(buffer.data(), WavBlockBytes);
        if (got == 0 || got == ReadError) {
            break;
        }
        const auto keep = static_cast<std::size_t>(std::min<std::uint64_t>(got, limit - processed));
        error = WriteBytes(file.Get(), buffer.data(), keep);
        processed += keep;
        control.Pump();
        if (control.StopRequested()) {
            result.stopped = true;
            break;
        }
        control.Progress(static_cast<std::uint32_t>(std::min<std::uint64_t>(processed, length)));
        if (processed >= limit) {
            break;
        }
    }

    std::array<std::uint8_t, 4> size{};
    if (error == 0) {
        Put32(size.data(), static_cast<std::uint32_t>(processed + WavHeaderSize - 8));
        error = WriteBytesAt(file.Get(), size.data(), size.size(), 4);
    }
    if (error == 0) {
        Put32(size.data(), static_cast<std::uint32_t>(processed));
        error = WriteBytesAt(file.Get(), size.data(), size.size(), 40);
    }
    const int closeError = file.Reset();
    if (error == 0) {
        error = closeError;
    }
    result.dataBytes = processed;
    if (error != 0) {
        result.status = WavWriteResult::Status::WriteFailed;
        result.error = error;
    }
    return result;
}

} // namespace wavora
