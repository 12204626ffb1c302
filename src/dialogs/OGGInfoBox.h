#pragma once

#include "OggVorbis.h"
#include "ui_OGGInfoBox.h"

#include <QDialog>
#include <QStringList>
#include <array>
#include <string>

namespace wavora {

class TTAGEditForm;

// The Ogg Vorbis info box and comment editor. Load reads the file afresh; Update reads it once
// more and writes only what the user changed.
class TOggVorbisInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TOggVorbisInfoForm(QWidget* parent = nullptr);

    // Fills the dialog from the file; false when it is no readable Ogg Vorbis file. Then the
    // dialog shows nothing of an earlier file and Update stays disabled.
    bool Load(const std::string& fileName);

    [[nodiscard]] Ui::TOggVorbisInfoForm& form() { return ui_; }
    [[nodiscard]] TTAGEditForm& tagEditor() { return *TAGEditForm; }

    void btnAddNewClick();
    void btnDeleteClick();
    void btnDeleteAllClick();
    void ExtraTagListDblClick();
    void btnUpdateClick();
    void btnCancelClick();

private:
    enum Field { Track, Title, Artist, Album, Date, Genre, Comment, FieldCount };
    using Texts = std::array<QString, FieldCount>;

    void FillDialog();
    [[nodiscard]] Texts CurrentTexts() const;
    [[nodiscard]] QStringList ExtraItems() const;
    void AddExtraItem(const QString& entry);
    // Checks an entry the name/value dialog gave; `except` is the row being edited, or -1.
    // Returns the entry "NAME=value", or an empty text when it is not to be stored.
    [[nodiscard]] QString AcceptedEntry(int except) const;

    Ui::TOggVorbisInfoForm ui_;
    TTAGEditForm* TAGEditForm;
    std::string fileName_;
    TOggVorbis ogg_;
    bool loaded_ = false;
    Texts shown_;
    QStringList shownExtra_;
};

} // namespace wavora
