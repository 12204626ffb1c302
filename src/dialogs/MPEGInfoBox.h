#pragma once

#include "MPEGaudio.h"
#include "ui_MPEGInfoBox.h"

#include <QDialog>
#include <array>
#include <string>

namespace wavora {

// The MPEG file info box and ID3 tag editor. Load reads the file afresh; Update reads it once
// more and writes only the fields the user changed, so every other byte of the file stays.
class TMPEGFileInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TMPEGFileInfoForm(QWidget* parent = nullptr);

    // Fills the dialog from the file; false when it could not be read. Then the dialog shows
    // nothing of an earlier file and Update stays disabled.
    bool Load(const std::string& fileName);

    [[nodiscard]] Ui::TMPEGFileInfoForm& form() { return ui_; }
    [[nodiscard]] const TMPEGaudio& audio() const { return audio_; }

    void cbID3v1TagClick();
    void cbID3v2TagClick();
    void btnCopyToClick();
    void btnCopyFromClick();
    void btnUndoClick();
    void btnUpdateClick();
    void btnCancelClick();

private:
    // The control texts, in a fixed order, for telling what the user changed.
    enum Field {
        T1Track,
        T1Title,
        T1Artist,
        T1Album,
        T1Year,
        T1Comment,
        T1Genre,
        T2Track,
        T2Title,
        T2Artist,
        T2Album,
        T2Year,
        T2Genre,
        T2Comment,
        T2Composer,
        T2OrigArtist,
        T2Copyright,
        T2Url,
        T2EncodedBy,
        FieldCount
    };
    using Texts = std::array<QString, FieldCount>;

    void FillDialog();
    void ClearInfo();
    void SetID3v1Enabled(bool enabled);
    void SetID3v2Enabled(bool enabled);
    [[nodiscard]] Texts CurrentTexts() const;
    // False (after saying why) when a track text cannot be stored.
    [[nodiscard]] bool TracksAcceptable() const;
    void WriteID3v1(TID3v1& tag, const Texts& now, std::string& failure);
    void WriteID3v2(TID3v2& tag, const Texts& now, std::string& failure);

    Ui::TMPEGFileInfoForm ui_;
    std::string fileName_;
    TMPEGaudio audio_;
    bool loaded_ = false;
    bool hadID3v1_ = false;
    bool hadID3v2_ = false;
    Texts shown_;
};

} // namespace wavora
