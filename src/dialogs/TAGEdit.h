#pragma once

#include "ui_TAGEdit.h"

#include <QDialog>
#include <string_view>

namespace wavora {

// True when `name` may name a Vorbis comment: not empty, characters 0x20-0x7D only, no '='.
[[nodiscard]] bool IsVorbisCommentName(std::string_view name);

// The name/value dialog for a new or edited comment. Its user reads TAGName and TAGMemo after
// an accepted showing; nothing clears them between showings.
class TTAGEditForm : public QDialog {
    Q_OBJECT
public:
    explicit TTAGEditForm(QWidget* parent = nullptr);

    [[nodiscard]] Ui::TTAGEditForm& form() { return ui_; }

    void btnOKClick();
    void btnCancelClick();

private:
    Ui::TTAGEditForm ui_;
};

} // namespace wavora
