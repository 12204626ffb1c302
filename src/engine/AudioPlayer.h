// The player: one source at a time (a file, an internet stream, a CD track, a music module or a
// file an input plug-in claims), played through the audio library either directly or relayed
// through the plug-in host's ring into a second stream. Everything here runs on the
// user-interface thread; the library's threads only post messages to the message window.
#pragma once

#include "MessageWindow.h"
#include "StreamInfo.h"
#include "ioplug.h"

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct In_Module;

namespace wavora {

class TMPEGaudio;
class TOggVorbis;
class TWMAfile;
class TWAVfile;

enum class TPlayerMode : std::uint8_t {
    plmStandby = 0,
    plmReady = 1,
    plmStopped = 2,
    plmPlaying = 3,
    plmPaused = 4
};

enum class TChannelType : std::uint8_t {
    ctNone = 0,
    ctStream = 1,
    ctCDTrack = 2,
    ctWMA = 3,
    ctMusic = 4,
    ctPlugin = 5
};

enum class TPlayableBy : std::uint8_t { pbBoth = 0, pbBASS = 1, pbPlugin = 2, pbNone = 3 };

[[nodiscard]] std::string_view PlayerModeName(TPlayerMode mode);

// Messages of the player's message window besides those of the plug-in host (ioplug.h).
// The library's end, download and meta notices carry their channel in wParam.
inline constexpr unsigned WM_QUERYENDSESSION = 0x0011;
inline constexpr unsigned WM_PLAYER_PLAY_END = WM_USER + 107;
inline constexpr unsigned WM_PLAYER_NEW_FFT = WM_USER + 108;
inline constexpr unsigned WM_PLAYER_PLUGIN_FIRST = WM_USER + 109;
inline constexpr unsigned WM_PLAYER_META = WM_USER + 110;
inline constexpr unsigned WM_PLAYER_DOWNLOADED = WM_USER + 111;

// The value PlayChannel holds while a plug-in starts, before the emulator names its stream.
inline constexpr std::uint32_t PluginPlayMarker = 1;
inline constexpr std::uint32_t NoLevel = 0xFFFFFFFFu;

// Stream-title parsing of internet radio metadata, shared by Open and the meta callback.
// "StreamTitle='...';..." gives the text between the opening quote and its closing "';" (a
// title may itself hold ';' or quotes); without the closing pair, the rest without a final
// quote. Without "StreamTitle=", no title.
[[nodiscard]] std::string StreamTitleOf(std::string_view meta);
// A list of NUL-terminated entries ending with an empty one (at most `limit` bytes are read):
// the value of the first entry whose upper-cased text contains key (key is upper case), i.e. the
// entry from just after the key on. Empty when none.
[[nodiscard]] std::string TagListValue(const char* list, std::string_view key,
                                       std::size_t limit = 65536);
// The title of an ICY/Ogg meta list: the first entry containing "TITLE=" without its first 6
// characters, as the meta callback takes it.
[[nodiscard]] std::string MetaListTitle(const char* list, std::size_t limit = 65536);
// The extension rule: from the last '.' after the last '/', '\' or ':'; upper-cased.
[[nodiscard]] std::string UpperExtension(const std::string& name);

class TAudioPlayer final : public QObject {
public:
    // Loads the audio libraries from programFolder (ending in '/'), opens the output device and
    // starts the plug-in host. A player whose set-up failed plays nothing, and every call on
    // it is safe.
    explicit TAudioPlayer(std::string programFolder, QObject* owner = nullptr);
    ~TAudioPlayer() override;
    TAudioPlayer(const TAudioPlayer&) = delete;
    TAudioPlayer& operator=(const TAudioPlayer&) = delete;

    // Properties.
    [[nodiscard]] const std::string& Version() const { return version_; }
    [[nodiscard]] const std::string& BASSDLLVer() const { return bassDllVer_; }
    [[nodiscard]] bool DX8EffectReady() const { return dx8EffectReady_; }
    // The mode of the open source: true for single-channel.
    [[nodiscard]] bool SingleChannel() const { return singleChannelInEffect_; }
    // Takes effect at the next successful Open.
    void SetSingleChannel(bool single);
    bool PluginFirst = false;
    [[nodiscard]] std::uint32_t DecodeChannel() const { return decodeChannel_; }
    [[nodiscard]] std::uint32_t PlayChannel() const { return playChannel_; }
    [[nodiscard]] TPlayerMode Mode() const { return mode_; }
    [[nodiscard]] TChannelType ChannelType() const { return channelType_; }
    [[nodiscard]] const TStreamInfo& StreamInfo() const { return streamInfo_; }
    [[nodiscard]] const std::string& StreamName() const { return streamName_; }
    [[nodiscard]] bool DeviceReady() const { return deviceReady_; }
    [[nodiscard]] bool LibraryLoaded() const { return bassLoaded_; }
    [[nodiscard]] std::uint32_t Volume() const { return volume_; }
    [[nodiscard]] const std::vector<std::string>& CDDriveNames() const { return cdDrives_; }

    [[nodiscard]] std::string PlayableExtensions() const;
    [[nodiscard]] std::string BASSVersionText() const;

    // Opening (the source stays open until Close or the next successful Open).
    bool Open(const std::string& name);
    bool GetStreamInfo(const std::string& name, TStreamInfo& info, std::string& pluginName,
                       int& pluginIndex, TPlayableBy& playableBy);
    [[nodiscard]] std::uint32_t GetPlayLength();
    [[nodiscard]] static std::string TitleFromURL(const std::string& url);

    // Playback.
    void Play();
    void SetPaused(bool paused);
    void Stop();
    void RestartPlayback();
    void Close();
    void SetVolume(std::uint32_t volume);
    [[nodiscard]] bool IsSeekable() const;
    void SetPosition(std::uint32_t ms);
    // What is heard, in ms.
    [[nodiscard]] std::uint32_t GetPosition();
    // Levels of what is heard: left in the low 16 bits, right in the high; NoLevel when none.
    [[nodiscard]] std::uint32_t ChannelLevel() const;

    // Events, raised on the user-interface thread.
    std::function<void(TAudioPlayer&)> OnPlayEnd;
    std::function<void(TAudioPlayer&, TPlayerMode oldMode, TPlayerMode newMode)> OnModeChange;
    std::function<void(TAudioPlayer&, const std::string& content)> OnGetMeta;
    std::function<void(TAudioPlayer&, const std::string& content)> OnDownloaded;
    std::function<void(TAudioPlayer&, const TChannelInfo& info)> OnPluginStartPlay;
    std::function<void(TAudioPlayer&, const TChannelInfo& info)> OnGetChannelInfo;

    // The message window's handle, for the plug-in host and the library callbacks.
    [[nodiscard]] HWND MessageWindow() const;

    // Where a library callback's meta text waits for the user-interface thread.
    struct TMetaMailbox {
        HWND window = nullptr;
        std::mutex lock;
        std::string text; // guarded by lock
    };

private:
    LPARAM HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam);
    void SetMode(TPlayerMode mode);
    void PausePlayback();
    void ResumePlayback();
    [[nodiscard]] bool OpenUrl(const std::string& name, TStreamInfo& info, bool wasPlaying);
    // Frees a channel that was created but not taken.
    void FreeChannel(std::uint32_t handle, TChannelType type);
    // Refuses a channel whose format cannot be played: shows the message, frees it.
    // On acceptance freq and chans hold the channel's format.
    [[nodiscard]] bool RefuseFormat(std::uint32_t handle, TChannelType type,
                                    const std::string& name, std::uint32_t& freq,
                                    std::uint32_t& chans);
    // Closes the old source and makes an accepted channel the current one; a refused channel
    // is freed and the old source plays on.
    [[nodiscard]] bool TakeChannel(std::uint32_t handle, TChannelType type,
                                   const std::string& name, bool wasPlaying);
    void FailOpen(bool wasPlaying);
    void OnEnd(std::uint32_t channel);
    void OnPluginEnd();
    void OnDownloadComplete(std::uint32_t channel);
    void OnPluginStarted(const TChannelInfo& info);
    // Waits, pumping messages, while the heard stream plays its tail; false when the source
    // changed or the player is closing meanwhile.
    [[nodiscard]] bool WaitWhilePlaying(std::uint64_t generation);
    [[nodiscard]] std::uint32_t PlayBufferedBytes() const;
    [[nodiscard]] std::uint32_t Now() const;
    [[nodiscard]] In_Module* Plugin() const { return activePlugin_; }

    std::string programFolder_;
    std::string version_ = "1.80";
    std::string bassDllVer_;
    bool dx8EffectReady_ = false;

    std::unique_ptr<TMessageWindow> messageWindow_;
    TMetaMailbox metaMailbox_;

    TChannelType channelType_ = TChannelType::ctNone;
    std::uint32_t decodeChannel_ = 0;
    std::uint32_t playChannel_ = 0;
    std::uint32_t channelFreq_ = 0;
    std::uint32_t channelChans_ = 0;
    bool seekedWhilePaused_ = false;
    In_Module* activePlugin_ = nullptr;
    int activePluginIndex_ = -1;
    bool pluginBusy_ = false;
    bool pluginOutputStarted_ = false;
    bool bassLoaded_ = false;
    bool deviceReady_ = false;
    bool hostBufferOk_ = false;
    bool wmaLoaded_ = false;
    bool cdLoaded_ = false;
    bool downloadStream_ = false;
    bool netRadio_ = false;
    bool downloadComplete_ = false;
    bool singleChannelRequested_ = true;
    bool singleChannelInEffect_ = false;
    std::vector<std::string> cdDrives_;
    std::string streamName_;
    TStreamInfo streamInfo_;
    std::uint32_t volume_ = 255;
    TPlayerMode mode_ = TPlayerMode::plmStandby;

    // Music modules' position keeping, in ms.
    std::uint32_t musicStartTick_ = 0;
    std::uint32_t musicPausedTime_ = 0;
    std::uint32_t relayOffset_ = 0;

    // The END notice is set once per decoding channel, before it first plays.
    std::uint32_t endSyncChannel_ = 0;
    // Counts opened and closed sources, so that a wait can tell the source changed under it.
    std::uint64_t generation_ = 0;
    // An end is awaited: set when playback starts, cleared when the end is handled, so that
    // OnPlayEnd comes once per end.
    bool endAwaited_ = false;
    bool closing_ = false;

    std::unique_ptr<TMPEGaudio> mpeg_;
    std::unique_ptr<TOggVorbis> ogg_;
    std::unique_ptr<TWMAfile> wma_;
    std::unique_ptr<TWAVfile> wav_;
};

} // namespace wavora
