#include "MPEGInfoBox.h"

#include "DialogText.h"
#include "MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <cmath>
#include <vector>

namespace wavora {
namespace {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string Std(const QString& text) {
    return text.toStdString();
}

std::vector<QString> SortedGenreNames() {
    std::vector<QString> names;
    for (const std::string_view name : GenreNames) {
        names.push_back(Text(name));
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

// The index in GenreNames of a name; 255 (no genre) when there is none.
std::uint8_t GenreByte(const QString& name) {
    const std::string text = Std(name);
    const auto found = std::find(GenreNames.begin(), GenreNames.end(), text);
    return found == GenreNames.end() ? 255 : static_cast<std::uint8_t>(found - GenreNames.begin());
}

const char* YesNo(bool value) {
    return value ? "Yes" : "No";
}

} // namespace

TMPEGFileInfoForm::TMPEGFileInfoForm(QWidget* parent) : QDialog(parent) {
    ui_.setupUi(this);
    ui_.Tag1_Genre->addItem(QString());
    for (const QString& name : SortedGenreNames()) {
        ui_.Tag1_Genre->addItem(name);
        ui_.Tag2_Genre->addItem(name);
    }
    ui_.Tag1_Genre->setCurrentIndex(-1);
    // What an ID3v1 tag holds, in characters of ISO-8859-1.
    for (QLineEdit* edit : {ui_.Tag1_Title, ui_.Tag1_Artist, ui_.Tag1_Album, ui_.Tag1_Comment}) {
        edit->setMaxLength(30);
    }
    ui_.Tag1_Year->setMaxLength(4);
    ui_.Tag1_TrackNo->setMaxLength(3);

    connect(ui_.cbID3v1Tag, &QCheckBox::clicked, this, &TMPEGFileInfoForm::cbID3v1TagClick);
    connect(ui_.cbID3v2Tag, &QCheckBox::clicked, this, &TMPEGFileInfoForm::cbID3v2TagClick);
    connect(ui_.btnCopyTo, &QPushButton::clicked, this, &TMPEGFileInfoForm::btnCopyToClick);
    connect(ui_.btnCopyFrom, &QPushButton::clicked, this, &TMPEGFileInfoForm::btnCopyFromClick);
    connect(ui_.btnUndo, &QPushButton::clicked, this, &TMPEGFileInfoForm::btnUndoClick);
    connect(ui_.btnUpdate, &QPushButton::clicked, this, &TMPEGFileInfoForm::btnUpdateClick);
    connect(ui_.btnCancel, &QPushButton::clicked, this, &TMPEGFileInfoForm::btnCancelClick);
    setFixedSize(sizeHint());
    Load({});
}

bool TMPEGFileInfoForm::Load(const std::string& fileName) {
    fileName_ = fileName;
    audio_.Clear();
    loaded_ = !fileName.empty() && audio_.ReadFile(fileName);
    if (!loaded_) {
        audio_.Clear();
    }
    FillDialog();
    hadID3v1_ = audio_.ID3v1().Present();
    hadID3v2_ = audio_.ID3v2().Present();
    shown_ = CurrentTexts();
    for (QWidget* control : std::initializer_list<QWidget*>{ui_.btnUpdate, ui_.btnUndo,
                                                            ui_.cbID3v1Tag, ui_.cbID3v2Tag}) {
        control->setEnabled(loaded_);
    }
    return loaded_;
}

void TMPEGFileInfoForm::ClearInfo() {
    for (QLabel* label :
         {ui_.lbSize, ui_.lbHeaderPos, ui_.lbLength, ui_.lbType, ui_.lbBitFrame,
          ui_.lbFreq_Channels, ui_.lbCRC, ui_.lbCopyrighted, ui_.lbOriginal, ui_.lbEmphasis}) {
        label->clear();
    }
}

void TMPEGFileInfoForm::FillDialog() {
    const QString name = QString::fromStdString(fileName_);
    ui_.fFileName->setText(
        ShortenedFileName(name, ui_.fFileName->fontMetrics(), ui_.fFileName->width()));
    ui_.fFileName->setToolTip(name);

    ClearInfo();
    if (loaded_) {
        const FrameHeader& frame = audio_.Frame();
        const double duration = audio_.Duration();
        const auto seconds =
            std::isfinite(duration) && duration > 0 ? static_cast<std::int64_t>(duration) : 0;
        ui_.lbSize->setText(QStringLiteral("Size: %1 bytes").arg(audio_.FileSize()));
        ui_.lbHeaderPos->setText(QStringLiteral("Header found at: %1 bytes").arg(frame.Position));
        ui_.lbLength->setText(QStringLiteral("Length: %1 seconds").arg(seconds));
        ui_.lbType->setText(Text(MpegVersionNames.at(frame.VersionIndex & 3)) + QLatin1Char(' ') +
                            Text(MpegLayerNames.at(frame.LayerIndex & 3)));
        ui_.lbBitFrame->setText(
            QStringLiteral("%1kbit, %2 frames").arg(audio_.BitRate()).arg(audio_.Frames()));
        ui_.lbFreq_Channels->setText(
            QStringLiteral("%1Hz %2").arg(audio_.SampleRate()).arg(Text(audio_.ChannelMode())));
        ui_.lbCRC->setText(QStringLiteral("CRCs: %1").arg(YesNo(frame.CrcProtected)));
        ui_.lbCopyrighted->setText(QStringLiteral("Copyrighted: %1").arg(YesNo(frame.Copyrighted)));
        ui_.lbOriginal->setText(QStringLiteral("Original: %1").arg(YesNo(frame.Original)));
        ui_.lbEmphasis->setText(QStringLiteral("Emphasis: ") +
                                Text(EmphasisNames.at(frame.EmphasisIndex & 3)));
    }

    for (QLineEdit* edit :
         {ui_.Tag1_TrackNo, ui_.Tag1_Title, ui_.Tag1_Artist, ui_.Tag1_Album, ui_.Tag1_Year,
          ui_.Tag1_Comment, ui_.Tag2_TrackNo, ui_.Tag2_Title, ui_.Tag2_Artist, ui_.Tag2_Album,
          ui_.Tag2_Year, ui_.Tag2_Composer, ui_.Tag2_OrigArtist, ui_.Tag2_Copyright, ui_.Tag2_URL,
          ui_.Tag2_Encodedby}) {
        edit->clear();
    }
    ui_.Tag1_Genre->setCurrentIndex(0);
    ui_.Tag2_Genre->setCurrentIndex(-1);
    ui_.Tag2_Genre->setEditText(QString());
    ui_.Tag2_Comment->clear();

    const TID3v1& v1 = audio_.ID3v1();
    ui_.cbID3v1Tag->setChecked(v1.Present());
    SetID3v1Enabled(v1.Present());
    if (v1.Present()) {
        ui_.Tag1_TrackNo->setText(QString::number(v1.Track()));
        ui_.Tag1_Title->setText(Text(v1.Title()));
        ui_.Tag1_Artist->setText(Text(v1.Artist()));
        ui_.Tag1_Album->setText(Text(v1.Album()));
        ui_.Tag1_Year->setText(Text(v1.Year()));
        ui_.Tag1_Comment->setText(Text(v1.Comment()));
        if (v1.GenreIndex() < GenreCount) {
            const int index = ui_.Tag1_Genre->findText(Text(GenreNames.at(v1.GenreIndex())));
            ui_.Tag1_Genre->setCurrentIndex(std::max(index, 0));
        }
    }

    const TID3v2& v2 = audio_.ID3v2();
    ui_.cbID3v2Tag->setChecked(v2.Present());
    SetID3v2Enabled(v2.Present());
    if (v2.Present()) {
        // The frame's own text, so that "3/12" stays "3/12".
        ui_.Tag2_TrackNo->setText(v2.TrackText().empty() && v2.Track() > 0
                                      ? QString::number(v2.Track())
                                      : Text(v2.TrackText()));
        ui_.Tag2_Title->setText(Text(v2.Title()));
        ui_.Tag2_Artist->setText(Text(v2.Artist()));
        ui_.Tag2_Album->setText(Text(v2.Album()));
        ui_.Tag2_Year->setText(Text(v2.Year()));
        const QString genre = Text(GenreDisplayName(v2.Genre()));
        ui_.Tag2_Genre->setCurrentIndex(ui_.Tag2_Genre->findText(genre));
        ui_.Tag2_Genre->setEditText(genre);
        ui_.Tag2_Comment->setPlainText(Text(v2.Comment()));
        ui_.Tag2_Composer->setText(Text(v2.Composer()));
        ui_.Tag2_OrigArtist->setText(Text(v2.OrigArtist()));
        ui_.Tag2_Copyright->setText(Text(v2.Copyright()));
        ui_.Tag2_URL->setText(Text(v2.Url()));
        ui_.Tag2_Encodedby->setText(Text(v2.EncodedBy()));
    }
}

void TMPEGFileInfoForm::SetID3v1Enabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_.Tag1_TrackNo, ui_.Tag1_Title, ui_.Tag1_Artist, ui_.Tag1_Album, ui_.Tag1_Year,
             ui_.Tag1_Comment, ui_.Tag1_Genre, ui_.btnCopyFrom}) {
        control->setEnabled(enabled);
    }
}

void TMPEGFileInfoForm::SetID3v2Enabled(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             ui_.Tag2_TrackNo, ui_.Tag2_Title, ui_.Tag2_Artist, ui_.Tag2_Album, ui_.Tag2_Year,
             ui_.Tag2_Genre, ui_.Tag2_Comment, ui_.Tag2_Composer, ui_.Tag2_OrigArtist,
             ui_.Tag2_Copyright, ui_.Tag2_URL, ui_.Tag2_Encodedby, ui_.btnCopyTo}) {
        control->setEnabled(enabled);
    }
}

TMPEGFileInfoForm::Texts TMPEGFileInfoForm::CurrentTexts() const {
    return {ui_.Tag1_TrackNo->text(),
            ui_.Tag1_Title->text(),
            ui_.Tag1_Artist->text(),
            ui_.Tag1_Album->text(),
            ui_.Tag1_Year->text(),
            ui_.Tag1_Comment->text(),
            ui_.Tag1_Genre->currentIndex() > 0 ? ui_.Tag1_Genre->currentText() : QString(),
            ui_.Tag2_TrackNo->text(),
            ui_.Tag2_Title->text(),
            ui_.Tag2_Artist->text(),
            ui_.Tag2_Album->text(),
            ui_.Tag2_Year->text(),
            ui_.Tag2_Genre->currentText(),
            ui_.Tag2_Comment->toPlainText(),
            ui_.Tag2_Composer->text(),
            ui_.Tag2_OrigArtist->text(),
            ui_.Tag2_Copyright->text(),
            ui_.Tag2_URL->text(),
            ui_.Tag2_Encodedby->text()};
}

void TMPEGFileInfoForm::cbID3v1TagClick() {
    SetID3v1Enabled(ui_.cbID3v1Tag->isChecked());
}

void TMPEGFileInfoForm::cbID3v2TagClick() {
    SetID3v2Enabled(ui_.cbID3v2Tag->isChecked());
}

void TMPEGFileInfoForm::btnCopyToClick() {
    ui_.cbID3v1Tag->setChecked(true);
    SetID3v1Enabled(true);
    ui_.Tag1_TrackNo->setText(ui_.Tag2_TrackNo->text());
    ui_.Tag1_Title->setText(ui_.Tag2_Title->text());
    ui_.Tag1_Artist->setText(ui_.Tag2_Artist->text());
    ui_.Tag1_Album->setText(ui_.Tag2_Album->text());
    ui_.Tag1_Year->setText(ui_.Tag2_Year->text());
    const int genre = ui_.Tag1_Genre->findText(ui_.Tag2_Genre->currentText());
    ui_.Tag1_Genre->setCurrentIndex(std::max(genre, 0));
    ui_.Tag1_Comment->setText(ui_.Tag2_Comment->toPlainText());
}

void TMPEGFileInfoForm::btnCopyFromClick() {
    ui_.cbID3v2Tag->setChecked(true);
    SetID3v2Enabled(true);
    ui_.Tag2_TrackNo->setText(ui_.Tag1_TrackNo->text());
    ui_.Tag2_Title->setText(ui_.Tag1_Title->text());
    ui_.Tag2_Artist->setText(ui_.Tag1_Artist->text());
    ui_.Tag2_Album->setText(ui_.Tag1_Album->text());
    ui_.Tag2_Year->setText(ui_.Tag1_Year->text());
    const int genre = ui_.Tag1_Genre->currentIndex() - 1;
    ui_.Tag2_Genre->setCurrentIndex(genre);
    ui_.Tag2_Genre->setEditText(genre >= 0 ? ui_.Tag2_Genre->itemText(genre) : QString());
    ui_.Tag2_Comment->setPlainText(ui_.Tag1_Comment->text());
}

void TMPEGFileInfoForm::btnUndoClick() {
    FillDialog();
}

bool TMPEGFileInfoForm::TracksAcceptable() const {
    if (ui_.cbID3v1Tag->isChecked() &&
        ParseTrackEntry(Std(ui_.Tag1_TrackNo->text()), 255).kind == TrackEntry::Kind::OutOfRange) {
        ShowMessage(MessageKind::Error, "Error", "An ID3v1 track number is at most 255.");
        return false;
    }
    if (ui_.cbID3v2Tag->isChecked() && ParseTrackEntry(Std(ui_.Tag2_TrackNo->text()), 65535).kind ==
                                           TrackEntry::Kind::OutOfRange) {
        ShowMessage(MessageKind::Error, "Error", "An ID3v2 track number is at most 65535.");
        return false;
    }
    return true;
}

void TMPEGFileInfoForm::WriteID3v1(TID3v1& tag, const Texts& now, std::string& failure) {
    // A tag added now gets every field; an existing one only what the user changed.
    const bool adding = !tag.Present();
    auto changed = [&](Field field) { return adding || now.at(field) != shown_.at(field); };
    bool any = adding;
    if (changed(T1Track)) {
        tag.SetTrack(static_cast<std::uint8_t>(ParseTrackEntry(Std(now[T1Track]), 255).number));
        any = true;
    }
    const std::array<std::pair<Field, void (TID3v1::*)(std::string_view)>, 5> texts{{
        {T1Title, &TID3v1::SetTitle},
        {T1Artist, &TID3v1::SetArtist},
        {T1Album, &TID3v1::SetAlbum},
        {T1Year, &TID3v1::SetYear},
        {T1Comment, &TID3v1::SetComment},
    }};
    for (const auto& [field, set] : texts) {
        if (changed(field)) {
            (tag.*set)(Std(now.at(field)));
            any = true;
        }
    }
    if (changed(T1Genre)) {
        tag.SetGenreIndex(GenreByte(now[T1Genre]));
        any = true;
    }
    if (any && !tag.WriteTag(fileName_)) {
        failure += "Can't update ID3v1 tag of an opened MPEG file.\n";
    }
}

void TMPEGFileInfoForm::WriteID3v2(TID3v2& tag, const Texts& now, std::string& failure) {
    const bool adding = !tag.Present();
    auto changed = [&](Field field) { return adding || now.at(field) != shown_.at(field); };
    bool any = adding;
    if (changed(T2Track)) {
        tag.SetTrack(static_cast<std::uint16_t>(ParseTrackEntry(Std(now[T2Track]), 65535).number));
        any = true;
    }
    const std::array<std::pair<Field, void (TID3v2::*)(std::string_view)>, 11> texts{{
        {T2Title, &TID3v2::SetTitle},
        {T2Artist, &TID3v2::SetArtist},
        {T2Album, &TID3v2::SetAlbum},
        {T2Year, &TID3v2::SetYear},
        {T2Genre, &TID3v2::SetGenre},
        {T2Comment, &TID3v2::SetComment},
        {T2Composer, &TID3v2::SetComposer},
        {T2OrigArtist, &TID3v2::SetOrigArtist},
        {T2Copyright, &TID3v2::SetCopyright},
        {T2Url, &TID3v2::SetUrl},
        {T2EncodedBy, &TID3v2::SetEncodedBy},
    }};
    for (const auto& [field, set] : texts) {
        if (changed(field)) {
            (tag.*set)(Std(now.at(field)));
            any = true;
        }
    }
    if (any && !tag.WriteTag(fileName_)) {
        failure += adding ? "Can't add ID3v2 tag to an opened MPEG file.\n"
                          : "Can't reconstruct ID3v2 tag of an opened MPEG file.\n";
    }
}

void TMPEGFileInfoForm::btnUpdateClick() {
    if (!loaded_ || !TracksAcceptable()) {
        return;
    }
    // Written on what the file holds now, so that nothing the dialog does not show is lost.
    TMPEGaudio fresh;
    if (!fresh.ReadFile(fileName_)) {
        ShowMessage(MessageKind::Error, "Error", "Can't read the MPEG file again; nothing saved.");
        return;
    }
    const Texts now = CurrentTexts();
    std::string failure;
    if (ui_.cbID3v1Tag->isChecked()) {
        WriteID3v1(fresh.ID3v1(), now, failure);
    } else if (hadID3v1_ && fresh.ID3v1().Present() && !fresh.ID3v1().RemoveTag(fileName_)) {
        failure += "Can't remove ID3v1 tag of an opened MPEG file.\n";
    }
    if (ui_.cbID3v2Tag->isChecked()) {
        WriteID3v2(fresh.ID3v2(), now, failure);
    } else if (hadID3v2_ && fresh.ID3v2().Present() && !fresh.ID3v2().RemoveTag(fileName_)) {
        failure += "Can't remove ID3v2 tag of an opened MPEG file.\n";
    }
    if (!failure.empty()) {
        failure.pop_back();
        ShowMessage(MessageKind::Error, "Error", failure);
    }
    accept();
}

void TMPEGFileInfoForm::btnCancelClick() {
    reject();
}

} // namespace wavora
