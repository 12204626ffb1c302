#pragma once

#include <QHash>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QSystemTrayIcon>
#include <optional>

class QWidget;

namespace wavora {

class TSkinLabel;
class TSkinGauge;

// Draws a borderless window's frame from a skin and lays out its controls: every child with
// the dynamic property "skinArea" goes into the skin area of that name, image buttons get the
// skin's glyphs, and the skin's named objects (bitmap-font labels, gauges) are created.
// Skins are ini texts in the program's compressed resources. User-interface thread only.
class TSkinFrame : public QObject {
    Q_OBJECT
public:
    enum Button { SystemMenu = 1, Minimise = 2, Tray = 4, Close = 8 };

    // skin draws the frame and lays out the window; controlStyleSkin, when given, adds the
    // style of another skin for the controls.
    TSkinFrame(QWidget* window, QString skin, int buttons, QString controlStyleSkin = {});

    void setSystemMenu(QMenu* menu) { systemMenu_ = menu; }
    void setTrayIcon(QSystemTrayIcon* icon) { trayIcon_ = icon; }

    // (Re)reads the skins and lays out the window; ends with changeSkinData.
    void loadSkin();

    // Writing to a name the skin lacks, or to an object of another kind, does nothing.
    void setText(const QString& name, const QString& text);
    void setValue(const QString& name, int value);

    [[nodiscard]] std::optional<QRect> area(const QString& name) const;
    void placeInto(QWidget* control, const QString& areaName) const;

    // The dialog skin's style sheet, for message boxes and file dialogs.
    [[nodiscard]] static QString dialogStyleSheet();

signals:
    void changeSkinData();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTitleBar(int titleHeight);
    void minimiseToTray();
    void applySkinEffects(bool on);

    QWidget* window_;
    QString frameSkin_;
    QString controlSkin_;
    int buttons_;
    QPointer<QMenu> systemMenu_;
    QPointer<QSystemTrayIcon> trayIcon_;
    QWidget* titleBar_ = nullptr;
    QHash<QString, QRect> areas_;
    QHash<QString, QPointer<QObject>> objects_; // named skin objects, children of the window
};

} // namespace wavora
