// The main window's conversion: Start and Stop, the batch run over the job list, and
// ConvertRow handing each row to the transcoder with the options dialog's settings.
#include "BassSession.h"
#include "BatchRun.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "OptionsForm.h"
#include "SourceTags.h"
#include "Transcoder.h"

#include <QApplication>
#include <QProgressBar>
#include <limits>

namespace wavora {

void TfrmMain::bindConversion() {
    connect(ui_.btnStartGrab, &QToolButton::clicked, this, &TfrmMain::btnStartGrabClick);
    connect(ui_.Startgrab1, &QAction::triggered, this, &TfrmMain::Startgrab1Click);
    // Custom names: no tag value may lead outside the output folder.
    readSourceTags = ReadNamingTags;
    // Until the player owns the audio library, the window loads it for the conversion.
    // No window handle: the library has no use for one here, and asking for it early would
    // create the native window before the skin has set its flags.
    bass_ = std::make_unique<TBassSession>(programDir_, 1);
    if (const std::string error = bass_->ErrorText(); !error.empty()) {
        ShowMessage(MessageKind::Error, "Error", error);
    }
}

void TfrmMain::btnStartGrabClick() {
    BatchHost host{[this] { return static_cast<std::size_t>(jobs_.rowCount()); },
                   [this](std::size_t i) { return jobs_.row(static_cast<int>(i)).checked; },
                   [this](std::size_t i) {
                       ConvertRow(static_cast<int>(i));
                       return std::exchange(convertError_, std::nullopt);
                   },
                   &Grabbing, &StopGrab};
    const BatchResult result = RunBatch(host);
    if (result.end == BatchEnd::Refused) {
        return; // a batch is already running; this press came from its message pumping
    }
    ShowMessage(MessageKind::Information, "Information", "Converting is completed!");
    if (result.end == BatchEnd::Failed) {
        ShowMessage(MessageKind::Error, "Error", result.error);
    }
}

void TfrmMain::Startgrab1Click() {
    btnStartGrabClick();
}

void TfrmMain::ConvertRow(int index) {
    const JobRow row = jobs_.row(index);
    const auto& options = frmOptions->form();
    TranscodeSettings settings;
    settings.programFolder = programDir_;
    settings.changeCurrentFolder = true;
    settings.encoder.constBitrate = options.cbBitrate->isChecked();
    bool isNumber = false;
    const int bitrate = options.bConst->currentText().toInt(&isNumber);
    if (options.bConst->currentIndex() >= 0 && isNumber) {
        settings.encoder.bitrate = bitrate;
    }
    settings.encoder.quality = options.bQual->value();
    settings.encoder.mp3v2Tag = options.cbMP3v2Tag->isChecked();

    // The gauge takes an int: scale a length beyond its range.
    QProgressBar* gauge = ui_.GrabProgressBar;
    auto scale = std::make_shared<std::uint32_t>(1);
    ConvertControl control{
        [gauge, scale](std::uint32_t maximum) {
            *scale = maximum / static_cast<std::uint32_t>(std::numeric_limits<int>::max()) + 1;
            gauge->setMaximum(static_cast<int>(maximum / *scale));
        },
        [gauge, scale](std::uint32_t value) { gauge->setValue(static_cast<int>(value / *scale)); },
        [] { QCoreApplication::processEvents(); }, [this] { return StopGrab; }};
    TTranscoder transcoder(settings, std::move(control));
    const RowResult result = transcoder.ConvertRow(row);
    trackTags = result.tags;
    gauge->setValue(0);
    if (result.outcome == RowOutcome::SameFile) {
        ShowMessage(MessageKind::Error, "Error", "Can't convert same file.");
    } else if (result.outcome == RowOutcome::CannotCreate) {
        convertError_ = result.message;
    }
}

} // namespace wavora
