#include "OptionsForm.h"

#include "MainForm.h"
#include "MessageBox.h"
#include "OutputFormat.h"
#include "SkinFrame.h"
#include "VisualEffects.h"

#include <QComboBox>
#include <QLabel>
#include <QString>

namespace wavora {

TfrmOptions::TfrmOptions(TfrmMain& main, std::string programDir, QWidget* parent)
    : QDialog(parent), main_(main), programDir_(std::move(programDir)),
      skin_(new TSkinFrame(this, QStringLiteral(":/skins/window.ini"), TSkinFrame::Close,
                           QStringLiteral(":/skins/mainwindow.ini"))) {
    ui_.setupUi(this);
    setFixedSize(size());
    skin_->loadSkin();
    ui_.pgOptions->setTabVisible(ui_.pgOptions->indexOf(ui_.tsFiles), false);
    ui_.pgOptions->setCurrentWidget(ui_.tsEncoders);
    ui_.lbConst->hide();
    ui_.bConst->hide();
    ui_.cbMono->hide();
    ui_.cbStereo->hide();
    auto* existingLabel = new QLabel(QStringLiteral("If the output file exists:"), ui_.tsEncoders);
    existingLabel->setObjectName(QStringLiteral("lbIfOutputExists"));
    existingLabel->setGeometry(12, 140, 150, 20);
    cbIfOutputExists = new QComboBox(ui_.tsEncoders);
    cbIfOutputExists->setObjectName(QStringLiteral("cbIfOutputExists"));
    cbIfOutputExists->addItems({QStringLiteral("overwrite"), QStringLiteral("skip"),
                                QStringLiteral("keep both")});
    cbIfOutputExists->setGeometry(166, 138, 110, 24);

    connect(ui_.cbBitrate, &QCheckBox::clicked, this, &TfrmOptions::cbBitrateClick);
    connect(ui_.MenuABox, &QCheckBox::clicked, this, &TfrmOptions::MenuABoxClick);
    connect(ui_.MessageABox, &QCheckBox::clicked, this, &TfrmOptions::MessageABoxClick);
    connect(ui_.ControlABox, &QCheckBox::clicked, this, &TfrmOptions::ControlABoxClick);
    connect(ui_.ABar, &QSlider::valueChanged, this, &TfrmOptions::ABarChange);
    connect(ui_.AAnimationBox, &QCheckBox::clicked, this, &TfrmOptions::AAnimationBoxClick);
    connect(ui_.HintABox, &QCheckBox::clicked, this, &TfrmOptions::HintABoxClick);
    connect(ui_.SkinEffectBox, &QCheckBox::clicked, this, &TfrmOptions::SkinEffectBoxClick);

    // The window system starts from what the controls show; loading may then change both.
    TVisualEffects& effects = TVisualEffects::instance();
    effects.setAlpha(ui_.ABar->value());
    effects.setBlended(TVisualEffects::Kind::Menu, ui_.MenuABox->isChecked());
    effects.setBlended(TVisualEffects::Kind::Message, ui_.MessageABox->isChecked());
    effects.setBlended(TVisualEffects::Kind::Control, ui_.ControlABox->isChecked());
    effects.setBlended(TVisualEffects::Kind::Hint, ui_.HintABox->isChecked());
    effects.setAnimated(ui_.AAnimationBox->isChecked());
    effects.setSkinEffects(ui_.SkinEffectBox->isChecked());
    LoadOptions();
}

TfrmOptions::~TfrmOptions() {
    SaveOptions();
}

NamingSettings TfrmOptions::naming() const {
    return {ui_.cbCustomFileNaming->isChecked(), ui_.lbFileNaming->text().toStdString()};
}

ExistingOutput TfrmOptions::existingOutput() const {
    return ExistingOutputFromNumber(cbIfOutputExists->currentIndex());
}

void TfrmOptions::LoadOptions() {
    if (!options_) {
        options_ = std::make_unique<CDOptions>();
    }
    // Read into a copy, so that a broken file applies nothing; only InitialDir, which no
    // control holds, keeps what was read before the error.
    CDOptions read = *options_;
    const OptionsLoadResult result = LoadOptionsFile(optionsPath(), read);
    switch (result.state) {
    case OptionsLoad::Missing:
        return;
    case OptionsLoad::Failed:
        options_->InitialDir = read.InitialDir;
        ShowMessage(MessageKind::Error, "Error", result.error);
        return;
    case OptionsLoad::Loaded:
        *options_ = read;
        applyOptions(*options_);
        return;
    }
}

void TfrmOptions::applyOptions(const CDOptions& o) {
    ui_.lbFileNaming->setText(QString::fromStdString(o.FileNaming));
    ui_.cbMP3v2Tag->setChecked(o.MP3v2Tag);
    ui_.bConst->setCurrentIndex(ui_.bConst->findText(QString::number(o.Bitrate)));
    ui_.bQual->setValue(o.Quality);
    ui_.cbBitrate->setChecked(o.ConstBitrate);
    cbBitrateClick();
    if (o.Mono) {
        ui_.cbMono->setChecked(true);
    } else {
        ui_.cbStereo->setChecked(true);
    }
    main_.selectFormat(o.CurFormat);
    main_.form().lbOutput->setText(QString::fromStdString(o.CurOutput));
    ui_.cbCustomFileNaming->setChecked(o.CustomFileNaming);
    cbIfOutputExists->setCurrentIndex(static_cast<int>(ExistingOutputFromNumber(o.IfOutputExists)));
    ui_.MenuABox->setChecked(o.MenuAlphaBlend);
    MenuABoxClick();
    ui_.MessageABox->setChecked(o.MessageAlphaBlend);
    MessageABoxClick();
    ui_.ControlABox->setChecked(o.ControlAlphaBlend);
    ControlABoxClick();
    ui_.SkinEffectBox->setChecked(o.SkinEffects);
    SkinEffectBoxClick();
    ui_.ABar->setValue(o.AlphaBlendValue);
    ui_.HintABox->setChecked(o.HintAlphaBlend);
    HintABoxClick();
    ui_.AAnimationBox->setChecked(o.AlphaBlendAnimation);
    AAnimationBoxClick();
}

void TfrmOptions::SaveOptions() {
    if (!options_) {
        options_ = std::make_unique<CDOptions>();
    }
    CDOptions& o = *options_;
    o.FileNaming = ui_.lbFileNaming->text().toStdString();
    o.MP3v2Tag = ui_.cbMP3v2Tag->isChecked();
    // With no item selected (a stored bitrate the list lacks) the stored value is kept.
    if (ui_.bConst->currentIndex() >= 0) {
        o.Bitrate = ui_.bConst->currentText().toInt();
    }
    o.Quality = ui_.bQual->value();
    o.ConstBitrate = ui_.cbBitrate->isChecked();
    o.Mono = ui_.cbMono->isChecked();
    o.CurFormat = main_.form().cbEncoder->currentText().toStdString();
    o.CurOutput = main_.form().lbOutput->text().toStdString();
    o.CustomFileNaming = ui_.cbCustomFileNaming->isChecked();
    o.MenuAlphaBlend = ui_.MenuABox->isChecked();
    o.MessageAlphaBlend = ui_.MessageABox->isChecked();
    o.ControlAlphaBlend = ui_.ControlABox->isChecked();
    o.SkinEffects = ui_.SkinEffectBox->isChecked();
    o.AlphaBlendValue = ui_.ABar->value();
    o.HintAlphaBlend = ui_.HintABox->isChecked();
    o.AlphaBlendAnimation = ui_.AAnimationBox->isChecked();
    o.IfOutputExists = static_cast<std::int32_t>(existingOutput());
    if (const auto error = SaveOptionsFile(optionsPath(), o)) {
        ShowMessage(MessageKind::Error, "Error", *error);
    }
}

void TfrmOptions::cbBitrateClick() {
    const bool constant = ui_.cbBitrate->isChecked();
    ui_.bConst->setVisible(constant);
    ui_.lbConst->setVisible(constant);
    ui_.bQual->setVisible(!constant);
    ui_.lbQual->setVisible(!constant);
}

void TfrmOptions::MenuABoxClick() {
    TVisualEffects::instance().setBlended(TVisualEffects::Kind::Menu, ui_.MenuABox->isChecked());
}

void TfrmOptions::MessageABoxClick() {
    TVisualEffects::instance().setBlended(TVisualEffects::Kind::Message,
                                          ui_.MessageABox->isChecked());
}

void TfrmOptions::ControlABoxClick() {
    TVisualEffects::instance().setBlended(TVisualEffects::Kind::Control,
                                          ui_.ControlABox->isChecked());
}

void TfrmOptions::ABarChange() {
    TVisualEffects::instance().setAlpha(ui_.ABar->value());
}

void TfrmOptions::AAnimationBoxClick() {
    TVisualEffects::instance().setAnimated(ui_.AAnimationBox->isChecked());
}

void TfrmOptions::HintABoxClick() {
    TVisualEffects::instance().setBlended(TVisualEffects::Kind::Hint, ui_.HintABox->isChecked());
}

void TfrmOptions::SkinEffectBoxClick() {
    TVisualEffects::instance().setSkinEffects(ui_.SkinEffectBox->isChecked());
}

} // namespace wavora
