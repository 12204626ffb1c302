#pragma once

#include <QObject>

namespace wavora {

// The window system's visual effects: which kinds of pop-up window are alpha-blended (with
// one opacity), whether their appearance is animated, and the skins' own effects.
// Process-wide; user-interface thread only.
class TVisualEffects : public QObject {
    Q_OBJECT
public:
    enum class Kind { Menu, Message, Control, Hint };

    static TVisualEffects& instance();

    void setBlended(Kind kind, bool on);
    [[nodiscard]] bool blended(Kind kind) const;
    void setAlpha(int alpha); // 0..255
    [[nodiscard]] int alpha() const { return alpha_; }
    void setAnimated(bool on);
    [[nodiscard]] bool animated() const { return animated_; }
    void setSkinEffects(bool on);
    [[nodiscard]] bool skinEffects() const { return skinEffects_; }

    // The opacity a newly shown window of this kind gets.
    [[nodiscard]] double opacity(Kind kind) const;

signals:
    void skinEffectsChanged(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TVisualEffects();

    bool blended_[4] = {false, false, false, false};
    int alpha_ = 200;
    bool animated_ = false;
    bool skinEffects_ = false;
};

} // namespace wavora
