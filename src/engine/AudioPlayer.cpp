#include "AudioPlayer.h"

#include "BassCdLoader.h"
#include "BassLoader.h"
#include "BassWmaLoader.h"
#include "MPEGaudio.h"
#include "MessageBox.h"
#include "OggVorbis.h"
#include "PluginCtrl.h"
#include "TagText.h"
#include "WAVfile.h"
#include "WMAfile.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <thread>

namespace wavora {
namespace {

using namespace std::chrono_literals;

constexpr QWORD LibraryError64 = ~QWORD{0};
constexpr DWORD LibraryError32 = 0xFFFFFFFFu;
// A heard tail is at most the relay's ring and the stream's buffer, about a second; a wait for
// it never outlasts this.
constexpr auto TailWaitLimit = 10s;
constexpr auto TailWaitStep = 20ms;
constexpr int PluginSeekSleeps = 51;
constexpr auto PluginSeekStep = 40ms;
constexpr std::size_t MetaTitleLimit = 255;

constexpr std::string_view BaseExtensions =
    "*.wav;*.mp1;*.mp2;*.mp3;*.ogg;*.MO3;*.IT;*.XM;*.S3M;*.MTM;*.MOD;*.UMX;";

struct ModuleHeader {
    std::string_view extension;
    std::size_t offset;
    std::size_t length; // 0: the title is the file name
};
constexpr std::array<ModuleHeader, 7> ModuleHeaders{{
    {".MOD", 0, 20},
    {".XM", 17, 20},
    {".IT", 4, 20},
    {".MTM", 4, 20},
    {".S3M", 0, 28},
    {".MO3", 0, 0},
    {".UMX", 0, 0},
}};

const ModuleHeader* moduleHeader(std::string_view extension) {
    for (const ModuleHeader& header : ModuleHeaders) {
        if (header.extension == extension) {
            return &header;
        }
    }
    return nullptr;
}

constexpr std::array<std::string_view, 7> DownloadExtensions{".MP3", ".MP2", ".MP1", ".OGG",
                                                             ".WAV", ".WMA", ".ASF"};

bool isOneOf(std::string_view value, const auto& list) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

void ShowError(const std::string& text) {
    ShowMessage(MessageKind::Error, "Error", text);
}

void ShowBASSError(const std::string& text) {
    ShowError(text + "\r\n(error code: " + std::to_string(bass::BASS_ErrorGetCode()) + ")");
}

std::string upper(std::string text) {
    for (char& c : text) {
        c = AsciiUpper(c);
    }
    return text;
}

std::int32_t roundedMs(double seconds) {
    const double ms = std::nearbyint(seconds * 1000.0);
    return ms <= 0 ? 0 : static_cast<std::int32_t>(std::min(ms, 2147483647.0));
}

std::string fileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A text cut to at most limit bytes without splitting a UTF-8 sequence.
std::string cutUtf8(std::string text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
    return text;
}

// Walks a list of NUL-terminated entries up to the empty one, reading at most limit bytes;
// visit answers true to stop.
template <typename Visit>
void forEachEntry(const char* list, std::size_t limit, Visit visit) {
    if (list == nullptr) {
        return;
    }
    std::size_t at = 0;
    while (at < limit) {
        const void* nul = std::memchr(list + at, '\0', limit - at);
        const std::size_t end =
            nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - list) : limit;
        if (end == at || visit(std::string_view(list + at, end - at))) {
            return;
        }
        at = end + 1;
    }
}

// Bounded length of a NUL-terminated text from the library.
std::string_view boundedText(const char* text, std::size_t limit) {
    if (text == nullptr) {
        return {};
    }
    const void* nul = std::memchr(text, '\0', limit);
    return {text, nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text)
                                 : limit};
}

// Library callbacks: they run on the library's threads and only post.
void endSync(HSYNC, DWORD channel, DWORD_PTR, void* user) {
    TMessageWindow::Post(static_cast<HWND>(user), WM_PLAYER_PLAY_END, channel, 0);
}

void downloadSync(HSYNC, DWORD channel, DWORD_PTR, void* user) {
    TMessageWindow::Post(static_cast<HWND>(user), WM_PLAYER_DOWNLOADED, channel, 0);
}

void metaSync(HSYNC, DWORD channel, DWORD_PTR data, void* user) {
    auto* box = static_cast<TAudioPlayer::TMetaMailbox*>(user);
    const auto* meta = reinterpret_cast<const char*>(data);
    const std::string_view text = boundedText(meta, 65536);
    std::string title = text.find("StreamTitle=") != std::string_view::npos
                            ? StreamTitleOf(text)
                            : MetaListTitle(meta);
    {
        const std::lock_guard guard(box->lock);
        box->text = cutUtf8(std::move(title), MetaTitleLimit);
    }
    TMessageWindow::Post(box->window, WM_PLAYER_META, channel, 0);
}

} // namespace

std::string_view PlayerModeName(TPlayerMode mode) {
    static constexpr std::array<std::string_view, 5> names{"standby", "ready", "stopped",
                                                           "playing", "paused"};
    return names.at(static_cast<std::size_t>(mode));
}

std::string StreamTitleOf(std::string_view meta) {
    static constexpr std::string_view key = "StreamTitle=";
    const std::size_t p = meta.find(key);
    if (p == std::string_view::npos) {
        return {};
    }
    std::string_view rest = meta.substr(p + key.size());
    if (!rest.empty() && rest.front() == '\'') {
        rest.remove_prefix(1);
        if (const std::size_t close = rest.find("';"); close != std::string_view::npos) {
            return std::string(rest.substr(0, close));
        }
        if (!rest.empty() && rest.back() == '\'') {
            rest.remove_suffix(1);
        }
        return std::string(rest);
    }
    // Unquoted: up to the field separator.
    return std::string(rest.substr(0, rest.find(';')));
}

std::string TagListValue(const char* list, std::string_view key, std::size_t limit) {
    std::string value;
    forEachEntry(list, limit, [&](std::string_view entry) {
        const std::size_t at = upper(std::string(entry)).find(key);
        if (at == std::string::npos) {
            return false;
        }
        value = std::string(entry.substr(at + key.size()));
        return true;
    });
    return value;
}

std::string MetaListTitle(const char* list, std::size_t limit) {
    std::string title;
    forEachEntry(list, limit, [&](std::string_view entry) {
        if (upper(std::string(entry)).find("TITLE=") == std::string::npos) {
            return false;
        }
        title = std::string(entry.substr(std::min<std::size_t>(6, entry.size())));
        return true;
    });
    return title;
}

std::string UpperExtension(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    const std::size_t separator = name.find_last_of("/\\:");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) {
        return {};
    }
    return upper(name.substr(dot));
}

// --- set-up and shutdown --------------------------------------------------------------------

TAudioPlayer::TAudioPlayer(std::string programFolder, QObject* owner)
    : QObject(owner), programFolder_(std::move(programFolder)),
      mpeg_(std::make_unique<TMPEGaudio>()), ogg_(std::make_unique<TOggVorbis>()),
      wma_(std::make_unique<TWMAfile>()), wav_(std::make_unique<TWAVfile>()) {
    messageWindow_ = std::make_unique<TMessageWindow>(
        [this](unsigned message, WPARAM wParam, LPARAM lParam) -> LPARAM {
            // Nothing thrown may cross the event loop.
            try {
                return HandleMessage(message, wParam, lParam);
            } catch (const std::exception& error) {
                ShowError(error.what());
            } catch (...) {
                ShowError("Unexpected error");
            }
            return 0;
        });
    metaMailbox_.window = messageWindow_->Handle();

    if (!LoadBass(programFolder_ + std::string(kBassLibraryName))) {
        return;
    }
    bassLoaded_ = true;
    if (!BassVersionOk()) {
        ShowError(std::string(kBassVersionError));
        return;
    }
    bass::BASS_SetConfig(BASS_CONFIG_MAXVOL, 255);
    if (!bass::BASS_Init(1, 44100, 0, nullptr, nullptr)) {
        ShowBASSError("Can't initialize device");
        return;
    }
    deviceReady_ = true;
    BASS_INFO info{};
    info.size = sizeof info;
    if (bass::BASS_GetInfo(&info)) {
        dx8EffectReady_ = info.dsver >= 8;
    }
    volume_ = 255;
    bass::BASS_SetConfig(BASS_CONFIG_GVOL_MUSIC, 255);
    bass::BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 255);
    bassDllVer_ = BASSVersionText();
    if (InitPluginManager(messageWindow_->Handle())) {
        hostBufferOk_ = true;
        singleChannelRequested_ = false;
    } else {
        ShowError("Failed to get buffer.\n - Cannot run Winamp input plug-ins.\n - Cannot support "
                  "dual channel mode.");
    }
    wmaLoaded_ = LoadBassWma(programFolder_ + std::string(kBassWmaLibraryName));
    cdLoaded_ = LoadBassCd(programFolder_ + std::string(kBassCdLibraryName));
    if (cdLoaded_) {
        for (DWORD i = 0; i < 8; ++i) {
            const char* description = bass::BASS_CD_GetDriveDescription(i);
            if (description == nullptr) {
                break;
            }
            const char letter = static_cast<char>('A' + bass::BASS_CD_GetDriveLetter(i));
            cdDrives_.push_back(
                cutUtf8(std::string(1, letter) + ": " + std::string(boundedText(description, 255)),
                        255));
        }
    }
}

TAudioPlayer::~TAudioPlayer() {
    closing_ = true;
    ++generation_;
    // The owner may be half gone: no event reaches it any more.
    OnPlayEnd = nullptr;
    OnModeChange = nullptr;
    OnGetMeta = nullptr;
    OnDownloaded = nullptr;
    OnPluginStartPlay = nullptr;
    OnGetChannelInfo = nullptr;
    if (channelType_ == TChannelType::ctPlugin) {
        if (playChannel_ != 0 && Plugin() != nullptr) {
            Plugin()->Stop();
            playChannel_ = 0;
        }
    } else if (channelType_ != TChannelType::ctNone && playChannel_ != 0) {
        bass::BASS_ChannelStop(playChannel_);
    }
    Close();
    if (deviceReady_) {
        ShutdownPluginManager();
    }
    messageWindow_.reset();
    if (bassLoaded_) {
        UnloadBass();
    }
    if (wmaLoaded_) {
        UnloadBassWma();
    }
    if (cdLoaded_) {
        UnloadBassCd();
    }
}

HWND TAudioPlayer::MessageWindow() const {
    return messageWindow_->Handle();
}

void TAudioPlayer::SetSingleChannel(bool single) {
    if (single) {
        singleChannelRequested_ = true;
    } else if (hostBufferOk_) {
        singleChannelRequested_ = false;
    } else {
        ShowError("Cannot support dual channel mode. (Failed to get buffer)");
    }
}

std::string TAudioPlayer::PlayableExtensions() const {
    if (!deviceReady_) {
        return {};
    }
    std::string list(BaseExtensions);
    if (cdLoaded_) {
        list += "*.cda;";
    }
    if (wmaLoaded_) {
        list += "*.wma;";
    }
    return list;
}

std::string TAudioPlayer::BASSVersionText() const {
    return bassLoaded_ ? BassVersionText() : std::string();
}

std::uint32_t TAudioPlayer::Now() const {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// --- opening --------------------------------------------------------------------------------

std::string TAudioPlayer::TitleFromURL(const std::string& url) {
    const auto length = static_cast<std::int64_t>(url.size());
    if (length - 6 < 6) {
        return {};
    }
    for (std::int64_t position = length - 6; position >= 6; --position) {
        if (url[static_cast<std::size_t>(position - 1)] == '/') {
            return url.substr(static_cast<std::size_t>(position),
                              static_cast<std::size_t>(length - 4 - position));
        }
    }
    return {};
}

bool TAudioPlayer::GetStreamInfo(const std::string& name, TStreamInfo& info,
                                 std::string& pluginName, int& pluginIndex,
                                 TPlayableBy& playableBy) {
    info = TStreamInfo{};
    info.FileName = name;
    playableBy = TPlayableBy::pbNone;
    pluginIndex = -1;
    pluginName.clear();
    const std::string extension = UpperExtension(name);
    if (extension.size() != 3 && extension.size() != 4) {
        return false;
    }
    const TPlayableBy byDevice = deviceReady_ ? TPlayableBy::pbBASS : TPlayableBy::pbNone;
    bool recognised = false;
    if (extension == ".WAV") {
        if (wav_->ReadFile(name) && wav_->Valid()) {
            info.FileSize = static_cast<std::int32_t>(wav_->FileSize());
            info.SampleRate = wav_->SampleRate();
            info.BitsPerSample = wav_->BitsPerSample();
            info.Channels = wav_->Channels();
            info.Duration = roundedMs(wav_->Duration());
            info.BitRate = info.SampleRate * info.BitsPerSample / 1000;
            playableBy = byDevice;
            recognised = true;
        }
    } else if (extension == ".MP1" || extension == ".MP2" || extension == ".MP3") {
        if (mpeg_->ReadFile(name) && mpeg_->Valid()) {
            info.FileSize = static_cast<std::int32_t>(std::min<std::int64_t>(
                mpeg_->FileSize(), std::numeric_limits<std::int32_t>::max()));
            info.SampleRate = mpeg_->SampleRate();
            info.BitRate = mpeg_->BitRate();
            info.Duration = roundedMs(mpeg_->Duration());
            if (const TID3v1& v1 = mpeg_->ID3v1(); v1.Present()) {
                info.Title = v1.Title();
                info.Artist = v1.Artist();
                info.Album = v1.Album();
                info.Year = v1.Year();
                info.Genre = v1.Genre();
                info.GenreID = v1.GenreIndex();
                info.Track = v1.Track();
                info.Comment = v1.Comment();
            } else if (const TID3v2& v2 = mpeg_->ID3v2(); v2.Present()) {
                info.Title = v2.Title();
                info.Artist = v2.Artist();
                info.Album = v2.Album();
                info.Year = v2.Year();
                info.Genre = v2.Genre();
                info.Track = static_cast<std::uint8_t>(v2.Track());
                info.Comment = v2.Comment();
            }
            info.Channels = mpeg_->ChannelMode() == "Mono" ? 1 : 2;
            playableBy = byDevice;
            recognised = true;
        }
    } else if (extension == ".OGG") {
        if (ogg_->ReadFile(name) && ogg_->Valid()) {
            info.FileSize = static_cast<std::int32_t>(
                std::min<std::int64_t>(ogg_->FileSize, std::numeric_limits<std::int32_t>::max()));
            info.SampleRate = ogg_->SampleRate;
            info.BitRate = ogg_->AverageBitRate();
            info.Duration = roundedMs(ogg_->Duration());
            info.Title = ogg_->Title;
            info.Artist = ogg_->Artist;
            info.Album = ogg_->Album;
            info.Year = ogg_->Date;
            info.Genre = ogg_->Genre;
            info.Channels = ogg_->Channels;
            info.Track = static_cast<std::uint8_t>(ogg_->Track);
            info.Comment = ogg_->Comment;
            playableBy = byDevice;
            recognised = true;
        }
    } else if (extension == ".WMA") {
        if (wma_->ReadFile(name) && wma_->Valid()) {
            info.FileSize = static_cast<std::int32_t>(
                std::min<std::int64_t>(wma_->FileSize(), std::numeric_limits<std::int32_t>::max()));
            info.SampleRate = wma_->SampleRate();
            info.BitRate = wma_->BitRate();
            info.Duration = roundedMs(wma_->Duration());
            info.Channels = wma_->Channels();
            info.Title = Utf16ToUtf8(wma_->Title());
            info.Artist = Utf16ToUtf8(wma_->Artist());
            info.Album = Utf16ToUtf8(wma_->Album());
            info.Year = Utf16ToUtf8(wma_->Year());
            info.Genre = Utf16ToUtf8(wma_->Genre());
            info.Track = static_cast<std::uint8_t>(wma_->Track());
            info.Comment = Utf16ToUtf8(wma_->Comment());
            playableBy = wmaLoaded_ ? TPlayableBy::pbBASS : TPlayableBy::pbNone;
            recognised = true;
        }
    } else if (extension == ".CDA") {
        // "<letter>:/TrackNN.cda": a name without a track number is no CD track.
        const char letter = name.empty() ? '\0' : AsciiUpper(name.front());
        const std::size_t digits = name.size() >= 6 ? name.size() - 6 : std::string::npos;
        const bool numbered = cdLoaded_ && digits != std::string::npos &&
                              std::isdigit(static_cast<unsigned char>(name[digits])) != 0 &&
                              std::isdigit(static_cast<unsigned char>(name[digits + 1])) != 0;
        for (std::size_t drive = 0; numbered && drive < cdDrives_.size(); ++drive) {
            if (cdDrives_[drive].empty() || cdDrives_[drive].front() != letter) {
                continue;
            }
            const int track = (name[digits] - '0') * 10 + (name[digits + 1] - '0') - 1;
            if (track < 0) {
                break;
            }
            const DWORD bytes = bass::BASS_CD_GetTrackLength(static_cast<DWORD>(drive),
                                                             static_cast<DWORD>(track));
            if (bytes == LibraryError32) {
                break;
            }
            info.FileSize = static_cast<std::int32_t>(bytes);
            info.SampleRate = 44100;
            info.BitRate = 1408;
            info.Duration = static_cast<std::int32_t>(std::uint64_t{bytes} * 10 / 1764);
            info.Channels = 2;
            info.Track = static_cast<std::uint8_t>(track);
            playableBy = TPlayableBy::pbBASS;
            recognised = true;
            break;
        }
    } else if (const ModuleHeader* header = moduleHeader(extension)) {
        std::ifstream file(name, std::ios::binary);
        std::error_code error;
        const auto size = std::filesystem::file_size(name, error);
        if (file && !error) {
            info.FileSize = static_cast<std::int32_t>(
                std::min<std::uintmax_t>(size, std::numeric_limits<std::int32_t>::max()));
            if (header->length > 0) {
                std::string title(header->length, '\0');
                file.seekg(static_cast<std::streamoff>(header->offset));
                file.read(title.data(), static_cast<std::streamsize>(header->length));
                title.resize(file ? header->length : static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
                const std::string_view cut = std::string_view(title).substr(0, title.find('\0'));
                info.Title = Latin1ToUtf8(TrimControlRight(cut));
            }
            info.SampleRate = 44100;
            info.BitRate = 1408;
            info.Channels = 2;
            playableBy = TPlayableBy::pbBASS;
            recognised = true;
        }
    }

    if (const TPluginClaim claim = ClaimFile(name); claim.Index >= 0) {
        pluginIndex = claim.Index;
        pluginName = claim.PluginName;
        info.Title = cutUtf8(claim.Title, 256);
        info.Duration = claim.Length;
        if (hostBufferOk_) {
            playableBy =
                playableBy == TPlayableBy::pbBASS ? TPlayableBy::pbBoth : TPlayableBy::pbPlugin;
        }
        recognised = true;
    }
    if (recognised && info.Title.empty()) {
        info.Title = fileNameOf(name);
    }
    return recognised;
}

void TAudioPlayer::FreeChannel(std::uint32_t handle, TChannelType type) {
    if (type == TChannelType::ctMusic) {
        bass::BASS_MusicFree(handle);
    } else {
        bass::BASS_StreamFree(handle);
    }
}

bool TAudioPlayer::RefuseFormat(std::uint32_t handle, TChannelType type, const std::string& name,
                                std::uint32_t& freq, std::uint32_t& chans) {
    BASS_CHANNELINFO info{};
    if (!bass::BASS_ChannelGetInfo(handle, &info) || info.freq == 0 || info.chans == 0) {
        FreeChannel(handle, type);
        ShowError("Can't play the specified stream file : " + name);
        return true;
    }
    if ((info.flags & BASS_SAMPLE_8BITS) != 0) {
        FreeChannel(handle, type);
        ShowError("Sound card does not support 16-bit sources.");
        return true;
    }
    if (info.chans > 8) {
        FreeChannel(handle, type);
        ShowError("Channel count exceeds8 (" + name + ") !");
        return true;
    }
    freq = info.freq;
    chans = info.chans;
    return false;
}

bool TAudioPlayer::TakeChannel(std::uint32_t handle, TChannelType type, const std::string& name,
                               bool wasPlaying) {
    std::uint32_t freq = 0;
    std::uint32_t chans = 0;
    if (RefuseFormat(handle, type, name, freq, chans)) {
        FailOpen(wasPlaying);
        return false;
    }
    Close();
    decodeChannel_ = handle;
    channelType_ = type;
    channelFreq_ = freq;
    channelChans_ = chans;
    return true;
}

void TAudioPlayer::FailOpen(bool wasPlaying) {
    if (wasPlaying && mode_ == TPlayerMode::plmPaused) {
        ResumePlayback();
    }
}

bool TAudioPlayer::Open(const std::string& name) {
    if (!deviceReady_) {
        ShowError("Player is not ready !");
        return false;
    }
    const bool url = name.starts_with("http://") || name.starts_with("ftp://") ||
                     name.starts_with("mms://");
    TStreamInfo info;
    std::string pluginName;
    int pluginIndex = -1;
    TPlayableBy playableBy = TPlayableBy::pbNone;
    if (!url) {
        if (!GetStreamInfo(name, info, pluginName, pluginIndex, playableBy)) {
            ShowError("Invalid stream file (" + name + ") !");
            return false;
        }
        if (info.Channels > 8) {
            ShowError("Channel count exceeds8 (" + name + ") !");
            return false;
        }
    } else {
        info.FileName = name;
    }
    const bool wasPlaying =
        channelType_ != TChannelType::ctNone && mode_ == TPlayerMode::plmPlaying;
    if (wasPlaying) {
        PausePlayback();
    }
    const bool dual = !singleChannelRequested_;

    if (url) {
        if (!OpenUrl(name, info, wasPlaying)) {
            return false;
        }
    } else if (playableBy == TPlayableBy::pbPlugin ||
               (playableBy == TPlayableBy::pbBoth && PluginFirst)) {
        Close();
        channelType_ = TChannelType::ctPlugin;
        activePluginIndex_ = pluginIndex;
        activePlugin_ = GetPlugin(pluginIndex);
        (void)SelectPlugin(pluginIndex);
    } else {
        const std::string extension = UpperExtension(name);
        const DWORD decode = dual ? BASS_STREAM_DECODE : 0;
        TChannelType type = TChannelType::ctStream;
        DWORD handle = 0;
        if (extension == ".CDA") {
            type = TChannelType::ctCDTrack;
            if (cdLoaded_) {
                handle = bass::BASS_CD_StreamCreateFile(name.c_str(), BASS_CD_FREEOLD | decode);
            }
        } else if (extension == ".WMA") {
            type = TChannelType::ctWMA;
            if (wmaLoaded_) {
                handle = bass::BASS_WMA_StreamCreateFile(FALSE, name.c_str(), 0, 0, decode);
            }
        } else if (moduleHeader(extension) != nullptr) {
            type = TChannelType::ctMusic;
            handle = bass::BASS_MusicLoad(FALSE, name.c_str(), 0, 0,
                                          BASS_MUSIC_RAMPS | BASS_MUSIC_CALCLEN |
                                              BASS_MUSIC_POSRESET | decode,
                                          0);
        } else {
            handle = bass::BASS_StreamCreateFile(FALSE, name.c_str(), 0, 0, decode);
        }
        if (handle == 0) {
            ShowError("Can't play the specified stream file : " + name);
            FailOpen(wasPlaying);
            return false;
        }
        if (!TakeChannel(handle, type, name, wasPlaying)) {
            return false;
        }
        if (type == TChannelType::ctMusic) {
            info.Duration = static_cast<std::int32_t>(GetPlayLength());
            relayOffset_ = 0;
        }
    }

    ++generation_;
    singleChannelInEffect_ = singleChannelRequested_;
    streamName_ = name;
    streamInfo_ = info;
    SetStreamInfo(streamInfo_);
    SetMode(TPlayerMode::plmReady);
    return true;
}

bool TAudioPlayer::OpenUrl(const std::string& name, TStreamInfo& info, bool wasPlaying) {
    const std::string extension = UpperExtension(name);
    const bool dual = !singleChannelRequested_;
    if (extension == ".ASF" || extension == ".WMA") {
        const int index = FindPluginByExt(extension.substr(1));
        if (index < 0) {
            ShowError("Winamp input plug-in for ASF (or WMA) file is not loaded.");
            FailOpen(wasPlaying);
            return false;
        }
        if (!hostBufferOk_) {
            ShowError("Cannot run Winamp input plug-ins. (Faild to get buffer) !");
            FailOpen(wasPlaying);
            return false;
        }
        Close();
        channelType_ = TChannelType::ctPlugin;
        activePluginIndex_ = index;
        activePlugin_ = GetPlugin(index);
        (void)SelectPlugin(index);
        info.SampleRate = 0;
        info.Duration = 0;
    } else {
        const DWORD flags = BASS_STREAM_META | (dual ? BASS_STREAM_DECODE : 0);
        TChannelType type = TChannelType::ctStream;
        DWORD handle = bass::BASS_StreamCreateURL(name.c_str(), 0, flags, nullptr, nullptr);
        if (handle == 0 && wmaLoaded_) {
            const std::string wmaName =
                name.starts_with("http://") ? "mms://" + name.substr(7) : name;
            handle = bass::BASS_WMA_StreamCreateFile(FALSE, wmaName.c_str(), 0, 0, flags);
            type = TChannelType::ctWMA;
        }
        if (handle == 0) {
            ShowError("Can't play the specified URL stream : " + name);
            FailOpen(wasPlaying);
            return false;
        }
        if (!TakeChannel(handle, type, name, wasPlaying)) {
            return false;
        }
        info.SampleRate = static_cast<std::int32_t>(channelFreq_);
        info.Channels = static_cast<std::uint16_t>(channelChans_);
    }
    const bool plugin = channelType_ == TChannelType::ctPlugin;
    if (isOneOf(extension, DownloadExtensions)) {
        downloadStream_ = true;
        if (extension == ".OGG") {
            info.Title = MetaListTitle(bass::BASS_StreamGetTags(decodeChannel_, BASS_TAG_OGG));
        } else if (!plugin) {
            info.Title = TitleFromURL(name);
        }
        if (!plugin) {
            const QWORD length = bass::BASS_StreamGetLength(decodeChannel_);
            const double seconds =
                length == LibraryError64 ? 0.0
                                         : bass::BASS_ChannelBytes2Seconds(decodeChannel_, length);
            info.Duration = roundedMs(seconds);
            const DWORD size = bass::BASS_StreamGetFilePosition(decodeChannel_, BASS_FILEPOS_END);
            if (size != LibraryError32) {
                info.FileSize = static_cast<std::int32_t>(size);
                if (seconds > 0) {
                    info.BitRate = static_cast<std::int32_t>(std::nearbyint(size / (seconds * 125)));
                }
            }
            bass::BASS_ChannelSetSync(decodeChannel_, BASS_SYNC_DOWNLOAD, 0, &downloadSync,
                                      messageWindow_->Handle());
            // A download that finished before the notice was set would never be reported.
            const DWORD downloaded =
                bass::BASS_StreamGetFilePosition(decodeChannel_, BASS_FILEPOS_DOWNLOAD);
            if (size != LibraryError32 && downloaded == size) {
                TMessageWindow::Post(messageWindow_->Handle(), WM_PLAYER_DOWNLOADED,
                                     decodeChannel_, 0);
            }
        }
    } else {
        netRadio_ = true;
        forEachEntry(bass::BASS_StreamGetTags(decodeChannel_, BASS_TAG_ICY), 65536,
                     [&info](std::string_view entry) {
                         const std::size_t at = entry.find("icy-br:");
                         if (at == std::string_view::npos) {
                             return false;
                         }
                         info.BitRate = static_cast<std::int32_t>(
                             ParseDecimal(TrimControl(entry.substr(at + 7)), 0));
                         return true;
                     });
        info.Title = cutUtf8(
            StreamTitleOf(boundedText(bass::BASS_StreamGetTags(decodeChannel_, BASS_TAG_META),
                                      65536)),
            MetaTitleLimit);
        bass::BASS_ChannelSetSync(decodeChannel_, BASS_SYNC_META, 0, &metaSync, &metaMailbox_);
    }
    return true;
}

std::uint32_t TAudioPlayer::GetPlayLength() {
    QWORD bytes = LibraryError64;
    switch (channelType_) {
    case TChannelType::ctNone:
        return 0;
    case TChannelType::ctPlugin:
        return static_cast<std::uint32_t>(std::max(streamInfo_.Duration, 0));
    case TChannelType::ctMusic:
        bytes = bass::BASS_MusicGetLength(decodeChannel_, TRUE);
        break;
    case TChannelType::ctStream:
    case TChannelType::ctCDTrack:
    case TChannelType::ctWMA:
        bytes = bass::BASS_StreamGetLength(decodeChannel_);
        break;
    }
    if (bytes == LibraryError64) {
        return 0;
    }
    const float seconds = bass::BASS_ChannelBytes2Seconds(decodeChannel_, bytes);
    return seconds > 0 ? static_cast<std::uint32_t>(roundedMs(seconds)) : 0;
}

// --- playback -------------------------------------------------------------------------------

void TAudioPlayer::SetMode(TPlayerMode mode) {
    const TPlayerMode old = mode_;
    mode_ = mode;
    if (mode == TPlayerMode::plmStandby) {
        streamName_.clear();
        streamInfo_.FileName.clear();
        streamInfo_.Title.clear();
        streamInfo_.FileSize = 0;
        streamInfo_.Duration = 0;
        streamInfo_.Channels = 0;
        streamInfo_.SampleRate = 0;
        streamInfo_.BitRate = 0;
        SetStreamInfo(streamInfo_);
    }
    if (OnModeChange) {
        OnModeChange(*this, old, mode);
    }
}

void TAudioPlayer::Play() {
    if (pluginBusy_ || channelType_ == TChannelType::ctNone ||
        mode_ == TPlayerMode::plmPlaying) {
        return;
    }
    if (mode_ == TPlayerMode::plmPaused) {
        ResumePlayback();
        return;
    }
    if (mode_ == TPlayerMode::plmStopped) {
        if (channelType_ != TChannelType::ctPlugin) {
            SetPosition(0);
        }
        RestartPlayback();
        return;
    }
    bool success = false;
    ++generation_;
    if (channelType_ == TChannelType::ctPlugin) {
        if (Plugin() == nullptr) {
            return;
        }
        pluginBusy_ = true;
        pluginOutputStarted_ = false;
        playChannel_ = PluginPlayMarker;
        success = Plugin()->Play(streamName_.c_str()) == 0;
        if (!success) {
            playChannel_ = 0;
            ShowError("Can't play the specified stream : " + streamName_);
        }
        pluginBusy_ = false;
    } else {
        if (playChannel_ != 0 && playChannel_ != decodeChannel_) {
            bass::BASS_StreamFree(playChannel_);
        }
        playChannel_ = singleChannelInEffect_
                           ? decodeChannel_
                           : StartRelay(decodeChannel_, channelFreq_, channelChans_, 16);
        if (playChannel_ == 0) {
            ShowError("Could not open the channel");
            return;
        }
        // Before the first sound: a short source must not end before its end is watched.
        if (endSyncChannel_ != decodeChannel_) {
            bass::BASS_ChannelSetSync(decodeChannel_, BASS_SYNC_END, 0, &endSync,
                                      messageWindow_->Handle());
            endSyncChannel_ = decodeChannel_;
        }
        endAwaited_ = true;
        success = bass::BASS_ChannelPlay(playChannel_, TRUE) != FALSE;
    }
    if (success) {
        endAwaited_ = true;
        if (channelType_ == TChannelType::ctMusic) {
            musicStartTick_ = Now();
        }
        SetMode(TPlayerMode::plmPlaying);
    } else {
        endAwaited_ = false;
    }
}

void TAudioPlayer::SetPaused(bool paused) {
    if (paused && mode_ == TPlayerMode::plmPlaying) {
        PausePlayback();
    } else if (!paused && mode_ == TPlayerMode::plmPaused) {
        ResumePlayback();
    }
}

void TAudioPlayer::PausePlayback() {
    if (channelType_ == TChannelType::ctPlugin) {
        if (Plugin() != nullptr) {
            Plugin()->Pause();
        }
    } else {
        bass::BASS_ChannelPause(playChannel_);
    }
    if (channelType_ == TChannelType::ctMusic) {
        musicPausedTime_ = Now() - musicStartTick_;
    }
    SetMode(TPlayerMode::plmPaused);
}

void TAudioPlayer::ResumePlayback() {
    if (channelType_ == TChannelType::ctPlugin) {
        if (Plugin() != nullptr) {
            Plugin()->UnPause();
        }
    } else if (seekedWhilePaused_) {
        if (!singleChannelInEffect_) {
            ResetRelay();
        }
        bass::BASS_ChannelPlay(playChannel_, TRUE);
        seekedWhilePaused_ = false;
    } else {
        bass::BASS_ChannelPlay(playChannel_, FALSE);
    }
    if (channelType_ == TChannelType::ctMusic) {
        musicStartTick_ = Now() - musicPausedTime_;
    }
    SetMode(TPlayerMode::plmPlaying);
}

void TAudioPlayer::Stop() {
    if (mode_ != TPlayerMode::plmPlaying) {
        return;
    }
    ++generation_;
    endAwaited_ = false;
    if (channelType_ == TChannelType::ctPlugin) {
        if (playChannel_ != 0 && Plugin() != nullptr) {
            Plugin()->Stop();
        }
        playChannel_ = 0;
    } else {
        bass::BASS_ChannelStop(playChannel_);
        if (channelType_ == TChannelType::ctMusic) {
            relayOffset_ = 0;
        }
    }
    SetMode(TPlayerMode::plmStopped);
}

void TAudioPlayer::RestartPlayback() {
    if (mode_ != TPlayerMode::plmStopped || pluginBusy_ ||
        channelType_ == TChannelType::ctNone) {
        return;
    }
    ++generation_;
    bool success = false;
    if (channelType_ == TChannelType::ctPlugin) {
        if (Plugin() == nullptr) {
            return;
        }
        pluginBusy_ = true;
        pluginOutputStarted_ = false;
        playChannel_ = PluginPlayMarker;
        success = Plugin()->Play(streamName_.c_str()) == 0;
        if (!success) {
            playChannel_ = 0;
        }
        pluginBusy_ = false;
    } else {
        if (!singleChannelInEffect_) {
            ResetRelay();
        }
        success = bass::BASS_ChannelPlay(playChannel_, TRUE) != FALSE;
    }
    if (success) {
        endAwaited_ = true;
        SetMode(TPlayerMode::plmPlaying);
    }
}

void TAudioPlayer::Close() {
    if (channelType_ == TChannelType::ctNone) {
        return;
    }
    ++generation_;
    endAwaited_ = false;
    if (channelType_ != TChannelType::ctPlugin && !singleChannelInEffect_) {
        StopRelay();
    }
    switch (channelType_) {
    case TChannelType::ctStream:
    case TChannelType::ctCDTrack:
    case TChannelType::ctWMA:
        bass::BASS_StreamFree(decodeChannel_);
        break;
    case TChannelType::ctMusic:
        bass::BASS_MusicFree(decodeChannel_);
        break;
    case TChannelType::ctPlugin:
        if (playChannel_ != 0 && Plugin() != nullptr) {
            Plugin()->Stop();
        }
        activePluginIndex_ = -1;
        activePlugin_ = nullptr;
        (void)SelectPlugin(-1);
        break;
    case TChannelType::ctNone:
        break;
    }
    playChannel_ = 0;
    channelType_ = TChannelType::ctNone;
    endSyncChannel_ = 0;
    seekedWhilePaused_ = false;
    pluginBusy_ = false;
    pluginOutputStarted_ = false;
    streamName_.clear();
    streamInfo_.FileName.clear();
    streamInfo_.FileSize = 0;
    streamInfo_.SampleRate = 0;
    downloadComplete_ = false;
    downloadStream_ = false;
    netRadio_ = false;
    if (mode_ != TPlayerMode::plmStandby) {
        SetMode(TPlayerMode::plmStandby);
    }
}

void TAudioPlayer::SetVolume(std::uint32_t volume) {
    volume_ = std::min<std::uint32_t>(volume, 255);
    if (channelType_ == TChannelType::ctPlugin) {
        if (Plugin() != nullptr) {
            Plugin()->SetVolume(static_cast<int>(volume_));
        }
    } else if (deviceReady_) {
        bass::BASS_SetConfig(BASS_CONFIG_GVOL_MUSIC, volume_);
        bass::BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, volume_);
    }
}

bool TAudioPlayer::IsSeekable() const {
    if (channelType_ == TChannelType::ctNone || netRadio_) {
        return false;
    }
    if (channelType_ == TChannelType::ctPlugin) {
        return activePlugin_ != nullptr && activePlugin_->is_seekable != 0;
    }
    if (downloadStream_) {
        return downloadComplete_;
    }
    return true;
}

void TAudioPlayer::SetPosition(std::uint32_t ms) {
    if (!IsSeekable() || ms > GetPlayLength() || pluginBusy_) {
        return;
    }
    const bool dual = !singleChannelInEffect_;
    DWORD state = BASS_ACTIVE_STOPPED;
    if (dual && channelType_ != TChannelType::ctPlugin) {
        state = bass::BASS_ChannelIsActive(playChannel_);
        if (state == BASS_ACTIVE_PAUSED) {
            seekedWhilePaused_ = true;
        } else if (state == BASS_ACTIVE_PLAYING) {
            bass::BASS_ChannelStop(playChannel_);
        }
        ResetRelay();
    }
    // The relay stream stopped for the seek plays again whether or not the seek took.
    const auto replay = [&] {
        if (dual && state == BASS_ACTIVE_PLAYING) {
            ++generation_;
            endAwaited_ = true;
            bass::BASS_ChannelPlay(playChannel_, TRUE);
        }
    };
    switch (channelType_) {
    case TChannelType::ctStream:
    case TChannelType::ctCDTrack:
    case TChannelType::ctWMA: {
        const QWORD bytes = bass::BASS_ChannelSeconds2Bytes(
            decodeChannel_, static_cast<float>(static_cast<double>(ms) / 1000.0));
        if (bass::BASS_ChannelSetPosition(decodeChannel_, bytes) && mode_ == TPlayerMode::plmPlaying) {
            endAwaited_ = true;
        }
        replay();
        break;
    }
    case TChannelType::ctMusic: {
        // Modules seek to whole seconds: the clocks follow where it really went.
        const std::uint32_t landed = ms / 1000 * 1000;
        const QWORD position = 0xFFFFFFFF00000000ull | MAKELONG(ms / 1000, 0xFFFF);
        if (bass::BASS_ChannelSetPosition(decodeChannel_, position)) {
            if (!dual) {
                musicStartTick_ = Now() - landed;
                musicPausedTime_ = landed;
            } else {
                relayOffset_ = landed;
            }
            if (mode_ == TPlayerMode::plmPlaying) {
                endAwaited_ = true;
            }
        }
        replay();
        break;
    }
    case TChannelType::ctPlugin: {
        if (Plugin() == nullptr) {
            return;
        }
        if (mode_ == TPlayerMode::plmPlaying && pluginOutputStarted_) {
            pluginBusy_ = true;
        }
        SetSeekPending();
        Plugin()->SetOutputTime(static_cast<int>(ms));
        const std::uint64_t generation = generation_;
        const auto waiting = [&] {
            return mode_ == TPlayerMode::plmPlaying && generation == generation_ && !closing_ &&
                   pluginBusy_;
        };
        for (int sleeps = 0; waiting() && sleeps < PluginSeekSleeps; ++sleeps) {
            PumpMessages();
            if (!waiting()) {
                break;
            }
            std::this_thread::sleep_for(PluginSeekStep);
        }
        pluginBusy_ = false;
        break;
    }
    case TChannelType::ctNone:
        break;
    }
}

std::uint32_t TAudioPlayer::PlayBufferedBytes() const {
    if (playChannel_ == 0 || playChannel_ == PluginPlayMarker) {
        return 0;
    }
    const DWORD buffered = bass::BASS_ChannelGetData(playChannel_, nullptr, 0);
    return buffered == LibraryError32 ? 0 : buffered;
}

std::uint32_t TAudioPlayer::GetPosition() {
    switch (channelType_) {
    case TChannelType::ctNone:
        return 0;
    case TChannelType::ctStream:
    case TChannelType::ctCDTrack:
    case TChannelType::ctWMA: {
        QWORD bytes = bass::BASS_ChannelGetPosition(decodeChannel_);
        if (bytes == LibraryError64) {
            return 0;
        }
        if (!singleChannelInEffect_) {
            // What the decoder has read ahead is not heard yet.
            const QWORD ahead = QWORD{RelayBufferedBytes()} + PlayBufferedBytes();
            bytes = bytes > ahead ? bytes - ahead : 0;
        }
        if (bytes == 0) {
            return 0;
        }
        return static_cast<std::uint32_t>(
            roundedMs(bass::BASS_ChannelBytes2Seconds(decodeChannel_, bytes)));
    }
    case TChannelType::ctMusic: {
        if (bass::BASS_ChannelIsActive(playChannel_) == BASS_ACTIVE_STOPPED) {
            return 0;
        }
        if (singleChannelInEffect_) {
            return bass::BASS_ChannelIsActive(playChannel_) == BASS_ACTIVE_PAUSED
                       ? musicPausedTime_
                       : Now() - musicStartTick_;
        }
        const std::uint64_t bytesPerSecond = std::uint64_t{channelFreq_} * channelChans_ * 2;
        const std::int64_t buffered =
            bytesPerSecond == 0
                ? 0
                : static_cast<std::int64_t>(PlayBufferedBytes() * 1000 / bytesPerSecond);
        const std::int64_t heard =
            std::int64_t{RelayPlayedTime()} + relayOffset_ - buffered;
        return heard > 0 ? static_cast<std::uint32_t>(heard) : 0;
    }
    case TChannelType::ctPlugin: {
        if (mode_ == TPlayerMode::plmReady) {
            return 0;
        }
        const int time = PluginOutputTime(false);
        return time > 0 ? static_cast<std::uint32_t>(time) : 0;
    }
    }
    return 0;
}

std::uint32_t TAudioPlayer::ChannelLevel() const {
    if (!deviceReady_ || playChannel_ == 0 || playChannel_ == PluginPlayMarker) {
        return NoLevel;
    }
    return bass::BASS_ChannelGetLevel(playChannel_);
}

// --- messages and events --------------------------------------------------------------------

LPARAM TAudioPlayer::HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    if (closing_) {
        return 0;
    }
    const bool plugin = channelType_ == TChannelType::ctPlugin;
    switch (message) {
    case WM_QUERYENDSESSION:
        return 1;
    case WM_WA_MPEG_EOF:
        OnPluginEnd();
        break;
    case WM_PLAYER_PLUGIN_STARTED:
        if (plugin && playChannel_ != 0) {
            OnPluginStarted(*ChannelInfo());
        }
        break;
    case WM_PLAYER_SET_PLAYCHANNEL:
        if (plugin && playChannel_ != 0) {
            playChannel_ = static_cast<std::uint32_t>(wParam);
        }
        break;
    case WM_PLAYER_PLAY_END:
        OnEnd(static_cast<std::uint32_t>(wParam));
        break;
    case WM_PLAYER_PLUGIN_FIRST:
        PluginFirst = lParam != 0;
        break;
    case WM_PLAYER_META:
        if (netRadio_ && static_cast<std::uint32_t>(wParam) == decodeChannel_) {
            {
                const std::lock_guard guard(metaMailbox_.lock);
                streamInfo_.Title = metaMailbox_.text;
            }
            SetStreamInfo(streamInfo_);
            if (OnGetMeta) {
                OnGetMeta(*this, streamInfo_.Title);
            }
        }
        break;
    case WM_PLAYER_DOWNLOADED:
        OnDownloadComplete(static_cast<std::uint32_t>(wParam));
        break;
    case WM_PLAYER_CHANNEL_INFO:
        if (plugin) {
            const TChannelInfo& info = *ChannelInfo();
            streamInfo_.Channels = info.Channels;
            streamInfo_.SampleRate = info.SampleRate;
            streamInfo_.BitRate = info.BitRate;
            if (OnGetChannelInfo) {
                OnGetChannelInfo(*this, info);
            }
        }
        break;
    default:
        break;
    }
    return 0;
}

bool TAudioPlayer::WaitWhilePlaying(std::uint64_t generation) {
    const auto deadline = std::chrono::steady_clock::now() + TailWaitLimit;
    const auto current = [&] { return generation == generation_ && !closing_; };
    while (current() && playChannel_ != 0 && playChannel_ != PluginPlayMarker &&
           std::chrono::steady_clock::now() < deadline) {
        const DWORD state = bass::BASS_ChannelIsActive(playChannel_);
        if (state != BASS_ACTIVE_PLAYING && state != BASS_ACTIVE_STALLED) {
            break;
        }
        PumpMessages();
        std::this_thread::sleep_for(TailWaitStep);
    }
    return current();
}

void TAudioPlayer::OnEnd(std::uint32_t channel) {
    if (channel != decodeChannel_ || !endAwaited_ || channelType_ == TChannelType::ctNone ||
        channelType_ == TChannelType::ctPlugin) {
        return;
    }
    endAwaited_ = false;
    const std::uint64_t generation = ++generation_;
    SetMode(TPlayerMode::plmStopped);
    if (WaitWhilePlaying(generation) && OnPlayEnd) {
        OnPlayEnd(*this);
    }
}

void TAudioPlayer::OnPluginEnd() {
    if (channelType_ != TChannelType::ctPlugin || !endAwaited_) {
        return;
    }
    endAwaited_ = false;
    SetEndOfInput();
    pluginBusy_ = false;
    const std::uint64_t generation = ++generation_;
    if (pluginOutputStarted_ && !WaitWhilePlaying(generation)) {
        return;
    }
    if (Plugin() != nullptr) {
        Plugin()->Stop();
    }
    playChannel_ = 0;
    SetMode(TPlayerMode::plmStopped);
    if (OnPlayEnd) {
        OnPlayEnd(*this);
    }
}

void TAudioPlayer::OnPluginStarted(const TChannelInfo& info) {
    pluginBusy_ = false;
    pluginOutputStarted_ = true;
    if (Plugin() == nullptr) {
        return;
    }
    Plugin()->SetVolume(static_cast<int>(volume_));
    streamInfo_.Channels = info.Channels;
    streamInfo_.SampleRate = info.SampleRate;
    streamInfo_.BitsPerSample = info.BitsPerSample;
    if (streamInfo_.Duration == 0) {
        std::array<char, 257> title{};
        int length = 0;
        Plugin()->GetFileInfo(nullptr, title.data(), &length);
        title.back() = '\0';
        if (length > 0) {
            streamInfo_.Title = title.data();
            streamInfo_.Duration = length;
        }
    }
    SetStreamInfo(streamInfo_);
    if (OnPluginStartPlay) {
        OnPluginStartPlay(*this, info);
    }
}

void TAudioPlayer::OnDownloadComplete(std::uint32_t channel) {
    if (channel != decodeChannel_ || !downloadStream_ || downloadComplete_ ||
        channelType_ == TChannelType::ctPlugin) {
        return;
    }
    downloadComplete_ = true;
    const std::string extension = UpperExtension(streamName_);
    const char* block = nullptr;
    std::uint16_t kind = 0;
    if (extension == ".MP3" || extension == ".MP2" || extension == ".MP1") {
        block = bass::BASS_StreamGetTags(decodeChannel_, BASS_TAG_ID3);
        kind = 1;
        if (block == nullptr) {
            block = bass::BASS_StreamGetTags(decodeChannel_, BASS_TAG_ID3V2);
            kind = 2;
        }
    }
    const DWORD size = bass::BASS_StreamGetFilePosition(decodeChannel_, BASS_FILEPOS_END);
    if (size != LibraryError32) {
        streamInfo_.FileSize = static_cast<std::int32_t>(size);
    }
    if (block != nullptr) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(block);
        // An ID3v2 block is as long as its own header says, whatever the file's size.
        const std::int32_t length = kind == 1 ? 128 : TID3v2::SizeFromHeader(bytes, 1 << 28);
        TMP3TagInfo tags;
        if (length > 0 && mpeg_->ReadTagBuffer(bytes, length, tags, kind)) {
            streamInfo_.Title = tags.Title;
            streamInfo_.Artist = tags.Artist;
            streamInfo_.Album = tags.Album;
            streamInfo_.Year = tags.Year;
            streamInfo_.Comment = tags.Comment;
            streamInfo_.Genre = tags.Genre;
            streamInfo_.Track = static_cast<std::uint8_t>(tags.Track & 0xFF);
        }
    }
    const QWORD length = bass::BASS_StreamGetLength(decodeChannel_);
    if (length != LibraryError64) {
        streamInfo_.Duration = roundedMs(bass::BASS_ChannelBytes2Seconds(decodeChannel_, length));
    }
    SetStreamInfo(streamInfo_);
    if (OnDownloaded) {
        OnDownloaded(*this, std::to_string(streamInfo_.Duration));
    }
}

} // namespace wavora
