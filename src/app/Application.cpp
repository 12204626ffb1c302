#include "Application.h"

#include <QGuiApplication>
#include <QScreen>

namespace wavora {

TWavoraWindows::TWavoraWindows(const std::string& programDir)
    : frmMain_(std::make_unique<TfrmMain>(programDir)),
      frmOptions_(std::make_unique<TfrmOptions>(*frmMain_, programDir)),
      aboutForm_(std::make_unique<TAboutForm>()) {
    frmMain_->setForms(frmOptions_.get(), aboutForm_.get());
    for (QWidget* dialog :
         {static_cast<QWidget*>(frmOptions_.get()), static_cast<QWidget*>(aboutForm_.get())}) {
        dialog->setWindowModality(Qt::ApplicationModal);
    }
}

void TWavoraWindows::show() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->availableGeometry();
        for (QWidget* window :
             {static_cast<QWidget*>(frmMain_.get()), static_cast<QWidget*>(frmOptions_.get()),
              static_cast<QWidget*>(aboutForm_.get())}) {
            window->move(desktop.center() - window->rect().center());
        }
    }
    frmMain_->show();
}

} // namespace wavora
