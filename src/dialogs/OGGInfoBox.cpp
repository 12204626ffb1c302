#include "OGGInfoBox.h"

#include "DialogText.h"
#include "ID3v1.h"
#include "MessageBox.h"
#include "TAGEdit.h"

#include <QListWidget>
#include <algorithm>

namespace wavora {
namespace {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// The list shows an entry on one line; the item keeps it whole.
constexpr int EntryRole = Qt::UserRole;

QString EntryName(const QString& entry) {
    return entry.left(entry.indexOf(QLatin1Char('=')));
}

} // namespace

TOggVorbisInfoForm::TOggVorbisInfoForm(QWidget* parent)
    : QDialog(parent), TAGEditForm(new TTAGEditForm(this)) {
    ui_.setupUi(this);
    TAGEditForm->setObjectName(QStringLiteral("TAGEditForm"));
    // Sorted, as the genre names are offered; free text stays possible.
    QStringList genres;
    for (const std::string_view name : GenreNames) {
        genres.append(Text(name));
    }
    genres.sort(Qt::CaseInsensitive);
    ui_.Tag_Genre->addItems(genres);

    connect(ui_.btnAddNew, &QPushButton::clicked, this, &TOggVorbisInfoForm::btnAddNewClick);
    connect(ui_.btnDelete, &QPushButton::clicked, this, &TOggVorbisInfoForm::btnDeleteClick);
    connect(ui_.btnDeleteAll, &QPushButton::clicked, this, &TOggVorbisInfoForm::btnDeleteAllClick);
    connect(ui_.ExtraTagList, &QListWidget::itemDoubleClicked, this,
            &TOggVorbisInfoForm::ExtraTagListDblClick);
    connect(ui_.btnUpdate, &QPushButton::clicked, this, &TOggVorbisInfoForm::btnUpdateClick);
    connect(ui_.btnCancel, &QPushButton::clicked, this, &TOggVorbisInfoForm::btnCancelClick);
    setFixedSize(sizeHint());
    Load({});
}

bool TOggVorbisInfoForm::Load(const std::string& fileName) {
    fileName_ = fileName;
    ogg_.Clear();
    loaded_ = !fileName.empty() && ogg_.ReadFile(fileName);
    if (!loaded_) {
        ogg_.Clear();
    }
    FillDialog();
    shown_ = CurrentTexts();
    shownExtra_ = ExtraItems();
    for (QWidget* control : std::initializer_list<QWidget*>{ui_.btnUpdate, ui_.btnAddNew,
                                                            ui_.btnDelete, ui_.btnDeleteAll}) {
        control->setEnabled(loaded_);
    }
    return loaded_;
}

void TOggVorbisInfoForm::FillDialog() {
    const QString name = QString::fromStdString(fileName_);
    ui_.fFileName->setText(
        ShortenedFileName(name, ui_.fFileName->fontMetrics(), ui_.fFileName->width()));
    ui_.fFileName->setToolTip(name);

    for (QLabel* label :
         {ui_.lbLength, ui_.lbAverageBitrate, ui_.lbFileSize, ui_.lbNominalBitrate, ui_.lbChannels,
          ui_.lbSamplingRate, ui_.lbSerialNo, ui_.lbVersion, ui_.lbVendor1, ui_.lbVendor2}) {
        label->clear();
    }
    if (loaded_) {
        ui_.lbLength->setText(QStringLiteral("Length: ") + Text(LengthText(ogg_.Duration())));
        ui_.lbAverageBitrate->setText(
            QStringLiteral("Average bitrate: %1 kbps").arg(ogg_.AverageBitRate()));
        ui_.lbFileSize->setText(QStringLiteral("File size: ") + Text(ByteCountText(ogg_.FileSize)));
        ui_.lbNominalBitrate->setText(
            QStringLiteral("Nominal bitrate: %1 kbps").arg(ogg_.NominalBitRate));
        ui_.lbChannels->setText(QStringLiteral("Channels: %1").arg(ogg_.Channels));
        ui_.lbSamplingRate->setText(QStringLiteral("Sampling rate: %1 Hz").arg(ogg_.SampleRate));
        ui_.lbSerialNo->setText(QStringLiteral("Serial number: %1").arg(ogg_.SerialNumber));
        ui_.lbVersion->setText(QStringLiteral("Version: %1").arg(ogg_.StreamVersion));
        const VendorLines vendor = SplitVendor(ogg_.Vendor);
        ui_.lbVendor1->setText(Text(vendor.first));
        ui_.lbVendor2->setText(Text(vendor.second));
    }

    ui_.Tag_TrackNo->setText(loaded_ ? QString::number(ogg_.Track) : QString());
    ui_.Tag_Title->setText(Text(ogg_.Title));
    ui_.Tag_Artist->setText(Text(ogg_.Artist));
    ui_.Tag_Album->setText(Text(ogg_.Album));
    ui_.Tag_Date->setText(Text(ogg_.Date));
    const QString genre = Text(GenreDisplayName(ogg_.Genre));
    ui_.Tag_Genre->setCurrentIndex(ui_.Tag_Genre->findText(genre));
    ui_.Tag_Genre->setEditText(genre);
    ui_.Tag_Comment->setPlainText(Text(ogg_.Comment));

    ui_.ExtraTagList->clear();
    if (!ogg_.ExtraFields.empty()) {
        for (const QString& entry : Text(ogg_.ExtraFields).split(QChar(0))) {
            AddExtraItem(entry);
        }
    }
}

TOggVorbisInfoForm::Texts TOggVorbisInfoForm::CurrentTexts() const {
    return {ui_.Tag_TrackNo->text(),       ui_.Tag_Title->text(), ui_.Tag_Artist->text(),
            ui_.Tag_Album->text(),         ui_.Tag_Date->text(),  ui_.Tag_Genre->currentText(),
            ui_.Tag_Comment->toPlainText()};
}

QStringList TOggVorbisInfoForm::ExtraItems() const {
    QStringList items;
    for (int row = 0; row < ui_.ExtraTagList->count(); ++row) {
        items.append(ui_.ExtraTagList->item(row)->data(EntryRole).toString());
    }
    return items;
}

void TOggVorbisInfoForm::AddExtraItem(const QString& entry) {
    auto* item = new QListWidgetItem(ui_.ExtraTagList);
    item->setData(EntryRole, entry);
    item->setText(QString(entry).replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

QString TOggVorbisInfoForm::AcceptedEntry(int except) const {
    const QString name = TAGEditForm->form().TAGName->text();
    const QString value = TAGEditForm->form().TAGMemo->toPlainText();
    if (name.trimmed().isEmpty() || value.trimmed().isEmpty()) {
        return {};
    }
    const QString upper = name.toUpper();
    const std::string key = upper.toStdString();
    if (std::find(VorbisFieldNames.begin(), VorbisFieldNames.end(), key) !=
        VorbisFieldNames.end()) {
        ShowMessage(MessageKind::Error, "Error", "Can't add predefined TAG ID.");
        return {};
    }
    const QStringList items = ExtraItems();
    for (int row = 0; row < items.size(); ++row) {
        if (row != except && EntryName(items.at(row)) == upper) {
            ShowMessage(MessageKind::Error, "Error", "Duplicate TAG ID.");
            return {};
        }
    }
    return upper + QLatin1Char('=') + value;
}

void TOggVorbisInfoForm::btnAddNewClick() {
    if (TAGEditForm->exec() != QDialog::Accepted) {
        return;
    }
    if (const QString entry = AcceptedEntry(-1); !entry.isEmpty()) {
        AddExtraItem(entry);
    }
}

void TOggVorbisInfoForm::ExtraTagListDblClick() {
    QListWidgetItem* item = ui_.ExtraTagList->currentItem();
    if (item == nullptr || !loaded_) {
        return;
    }
    const QString entry = item->data(EntryRole).toString();
    const qsizetype separator = entry.indexOf(QLatin1Char('='));
    TAGEditForm->form().TAGName->setText(entry.left(separator));
    TAGEditForm->form().TAGMemo->setPlainText(separator < 0 ? QString() : entry.mid(separator + 1));
    if (TAGEditForm->exec() != QDialog::Accepted) {
        return;
    }
    if (const QString edited = AcceptedEntry(ui_.ExtraTagList->row(item)); !edited.isEmpty()) {
        item->setData(EntryRole, edited);
        item->setText(QString(edited).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
}

void TOggVorbisInfoForm::btnDeleteClick() {
    delete ui_.ExtraTagList->currentItem();
}

void TOggVorbisInfoForm::btnDeleteAllClick() {
    ui_.ExtraTagList->clear();
}

void TOggVorbisInfoForm::btnUpdateClick() {
    if (!loaded_) {
        return;
    }
    const Texts now = CurrentTexts();
    const TrackEntry track = ParseTrackEntry(now[Track].toStdString(), 65535);
    if (now[Track] != shown_[Track] && track.kind == TrackEntry::Kind::OutOfRange) {
        ShowMessage(MessageKind::Error, "Error", "A track number is at most 65535.");
        return;
    }
    // Written on what the file holds now, so that nothing the dialog does not show is lost.
    TOggVorbis fresh;
    if (!fresh.ReadFile(fileName_)) {
        ShowMessage(MessageKind::Error, "Error", "Can't read the OGG file again; nothing saved.");
        return;
    }
    bool any = false;
    auto changed = [&](Field field) {
        const bool differs = now.at(field) != shown_.at(field);
        any = any || differs;
        return differs;
    };
    if (changed(Track)) {
        fresh.Track = static_cast<std::uint16_t>(track.number);
    }
    const std::array<std::pair<Field, std::string TOggVorbis::*>, 6> texts{{
        {Title, &TOggVorbis::Title},
        {Artist, &TOggVorbis::Artist},
        {Album, &TOggVorbis::Album},
        {Date, &TOggVorbis::Date},
        {Genre, &TOggVorbis::Genre},
        {Comment, &TOggVorbis::Comment},
    }};
    for (const auto& [field, member] : texts) {
        if (changed(field)) {
            fresh.*member = now.at(field).toStdString();
        }
    }
    if (const QStringList extra = ExtraItems(); extra != shownExtra_) {
        fresh.ExtraFields = extra.join(QChar(0)).toStdString();
        any = true;
    }
    if (any && !fresh.WriteComments(fileName_)) {
        ShowMessage(MessageKind::Error, "Error", "Can't update the tag of an opened OGG file.");
    }
    accept();
}

void TOggVorbisInfoForm::btnCancelClick() {
    reject();
}

} // namespace wavora
