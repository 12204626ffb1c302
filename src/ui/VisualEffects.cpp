#include "VisualEffects.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPropertyAnimation>
#include <algorithm>
#include <optional>

namespace wavora {
namespace {

std::optional<TVisualEffects::Kind> kindOf(QWidget* window) {
    if (qobject_cast<QMenu*>(window) != nullptr) {
        return TVisualEffects::Kind::Menu;
    }
    if (qobject_cast<QMessageBox*>(window) != nullptr) {
        return TVisualEffects::Kind::Message;
    }
    if (qobject_cast<QFileDialog*>(window) != nullptr ||
        qobject_cast<QComboBox*>(window->parentWidget()) != nullptr) {
        return TVisualEffects::Kind::Control; // drop-down lists and the open-file dialog
    }
    if (window->inherits("QTipLabel")) {
        return TVisualEffects::Kind::Hint;
    }
    return std::nullopt;
}

} // namespace

TVisualEffects& TVisualEffects::instance() {
    static TVisualEffects* effects = [] {
        auto* created = new TVisualEffects; // owned by the application object
        created->setParent(qApp);
        return created;
    }();
    return *effects;
}

TVisualEffects::TVisualEffects() {
    qApp->installEventFilter(this);
}

void TVisualEffects::setBlended(Kind kind, bool on) {
    blended_[static_cast<int>(kind)] = on;
}

bool TVisualEffects::blended(Kind kind) const {
    return blended_[static_cast<int>(kind)];
}

void TVisualEffects::setAlpha(int alpha) {
    alpha_ = std::clamp(alpha, 0, 255);
}

void TVisualEffects::setAnimated(bool on) {
    animated_ = on;
    QApplication::setEffectEnabled(Qt::UI_AnimateMenu, on);
    QApplication::setEffectEnabled(Qt::UI_FadeMenu, on);
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, on);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, on);
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, on);
}

void TVisualEffects::setSkinEffects(bool on) {
    if (on != skinEffects_) {
        skinEffects_ = on;
        emit skinEffectsChanged(on);
    }
}

double TVisualEffects::opacity(Kind kind) const {
    return blended(kind) ? alpha_ / 255.0 : 1.0;
}

bool TVisualEffects::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow()) {
            if (const auto kind = kindOf(widget)) {
                const double target = opacity(*kind);
                if (animated_) {
                    auto* fade = new QPropertyAnimation(widget, "windowOpacity", widget);
                    fade->setDuration(150);
                    fade->setStartValue(0.0);
                    fade->setEndValue(target);
                    fade->start(QAbstractAnimation::DeleteWhenStopped);
                } else {
                    widget->setWindowOpacity(target);
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace wavora
