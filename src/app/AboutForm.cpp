#include "AboutForm.h"

#include "SkinFrame.h"

namespace wavora {

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent),
      skin_(new TSkinFrame(this, QStringLiteral(":/skins/window.ini"), TSkinFrame::Close,
                           QStringLiteral(":/skins/mainwindow.ini"))) {
    ui_.setupUi(this);
    setFixedSize(size());
    skin_->loadSkin();
    connect(ui_.btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace wavora
