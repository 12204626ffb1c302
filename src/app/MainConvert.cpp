// The main window's conversion: Start and Stop, the batch run over the job list, and
// ConvertRow handing each row to the transcoder with the options dialog's settings.
#include "BassSession.h"
#include "BatchRun.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "OptionsForm.h"
#include "OutputClaims.h"
#include "RowStatus.h"
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

namespace {

constexpr const char* Waiting = "waiting";

} // namespace

void TfrmMain::btnStartGrabClick() {
    if (Grabbing) {
        return; // a batch is already running; this press came from its message pumping
    }
    TOutputClaims claims;
    BatchTally tally;
    batchClaims_ = &claims;
    batchTally_ = &tally;
    closed_ = false;
    for (int i = 0; i < jobs_.rowCount(); ++i) {
        if (jobs_.row(i).checked) {
            jobs_.setStatus(i, Waiting);
        }
    }
    BatchHost host{[this] { return static_cast<std::size_t>(jobs_.rowCount()); },
                   [this](std::size_t i) {
                       const int index = static_cast<int>(i);
                       const bool checked = jobs_.row(index).checked;
                       if (!checked && jobs_.status(index) == Waiting) {
                           jobs_.setStatus(index, {}); // unchecked during the run
                       }
                       return checked;
                   },
                   [this](std::size_t i) {
                       ConvertRow(static_cast<int>(i));
                       return std::exchange(convertError_, std::nullopt);
                   },
                   &Grabbing, &StopGrab};
    const BatchResult result = RunBatch(host);
    batchClaims_ = nullptr;
    batchTally_ = nullptr;
    // Every checked row shows an end, also those the batch did not come to.
    for (int i = 0; i < jobs_.rowCount(); ++i) {
        if (jobs_.status(i) == Waiting) {
            const RowStatus status = NotReachedStatus(result.end != BatchEnd::Failed);
            jobs_.setStatus(i, status.text);
            tally.Add(status.end);
        }
    }
    showBatchEnd(tally, result.end == BatchEnd::Failed ? result.error : std::string());
}

void TfrmMain::showBatchEnd(const BatchTally& tally, const std::string& error) {
    if (closed_) {
        return; // no message outlives the window
    }
    std::string text = tally.Summary();
    if (!tally.AllConverted()) {
        text += "\nThe Status column gives each row's reason.";
    }
    ShowMessage(MessageKind::Information, "Information", text);
    if (!error.empty()) {
        ShowMessage(MessageKind::Error, "Error", error);
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
    settings.existing = frmOptions->existingOutput();

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
    jobs_.setStatus(index, "converting");
    const RowResult result = transcoder.ConvertRow(row, batchClaims_);
    trackTags = result.tags;
    gauge->setValue(0);
    const RowStatus status = DescribeRow(row, result);
    // The list may have changed while the row converted; it cannot lose rows meanwhile.
    if (index < jobs_.rowCount()) {
        jobs_.setStatus(index, status.text);
    }
    if (batchTally_ != nullptr) {
        batchTally_->Add(status.end);
    }
    if (result.outcome == RowOutcome::SameFile && !closed_) {
        ShowMessage(MessageKind::Error, "Error", "Can't convert same file.");
    } else if (result.outcome == RowOutcome::CannotCreate) {
        convertError_ = result.message;
    }
}

} // namespace wavora
