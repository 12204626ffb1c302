#pragma once

#include "ui_AboutForm.h"

#include <QDialog>

namespace wavora {

class TSkinFrame;

// The about box: product name and a Close button.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

private:
    Ui::TAboutForm ui_;
    TSkinFrame* skin_;
};

} // namespace wavora
