#include "SkinFrame.h"

#include "SkinGauge.h"
#include "SkinLabel.h"
#include "VisualEffects.h"

#include <QAbstractButton>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolButton>
#include <QWidget>
#include <QWindow>

static void initSkinResources() {
    Q_INIT_RESOURCE(skins);
}

namespace wavora {
namespace {

// One skin: sections of key=value lines; ';' starts a comment line.
struct SkinText {
    QHash<QString, QHash<QString, QString>> sections;
    QStringList order; // section names in file order

    [[nodiscard]] QString value(const QString& section, const QString& key,
                                const QString& fallback = {}) const {
        return sections.value(section).value(key, fallback);
    }
};

QString readResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

SkinText parseSkin(const QString& path) {
    SkinText skin;
    QString section;
    const QString text = readResource(path);
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            if (!skin.sections.contains(section)) {
                skin.order.append(section);
            }
            skin.sections[section];
            continue;
        }
        const auto eq = line.indexOf(QLatin1Char('='));
        if (eq > 0) {
            skin.sections[section].insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
        }
    }
    return skin;
}

std::optional<QRect> parseRect(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) {
        return std::nullopt;
    }
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    return QRect(v[0], v[1], v[2], v[3]);
}

// The image buttons' pictures, drawn to the size of their areas.
QPixmap glyphPixmap(const QString& glyph, QSize size, const QColor& color) {
    const qreal ratio = 2.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    const qreal s = std::min(size.width(), size.height()) * 0.5;
    const QPointF c(size.width() / 2.0, size.height() / 2.0);
    const auto triangle = [&](qreal x, qreal w, bool right) {
        QPainterPath path;
        if (right) {
            path.moveTo(x, c.y() - s / 2);
            path.lineTo(x + w, c.y());
            path.lineTo(x, c.y() + s / 2);
        } else {
            path.moveTo(x + w, c.y() - s / 2);
            path.lineTo(x, c.y());
            path.lineTo(x + w, c.y() + s / 2);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    if (glyph == QLatin1String("play")) {
        triangle(c.x() - s * 0.4, s * 0.85, true);
    } else if (glyph == QLatin1String("pause")) {
        p.drawRect(QRectF(c.x() - s * 0.4, c.y() - s / 2, s * 0.28, s));
        p.drawRect(QRectF(c.x() + s * 0.12, c.y() - s / 2, s * 0.28, s));
    } else if (glyph == QLatin1String("stop")) {
        p.drawRect(QRectF(c.x() - s * 0.42, c.y() - s * 0.42, s * 0.84, s * 0.84));
    } else if (glyph == QLatin1String("rewindleft")) {
        triangle(c.x() - s * 0.6, s * 0.6, false);
        triangle(c.x(), s * 0.6, false);
    } else if (glyph == QLatin1String("rewindright")) {
        triangle(c.x() - s * 0.6, s * 0.6, true);
        triangle(c.x(), s * 0.6, true);
    } else if (glyph == QLatin1String("record")) {
        p.drawEllipse(c, s * 0.45, s * 0.45);
    } else if (glyph == QLatin1String("halt")) {
        p.setPen(QPen(color, 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(c.x() - s * 0.4, c.y() - s * 0.4, s * 0.8, s * 0.8));
    }
    p.end();
    return pixmap;
}

// Disabled buttons show their picture dimmed.
QIcon glyphIcon(const QString& glyph, QSize size, const QColor& color) {
    QColor dimmed = color;
    dimmed.setAlpha(70);
    QIcon icon;
    icon.addPixmap(glyphPixmap(glyph, size, color), QIcon::Normal);
    icon.addPixmap(glyphPixmap(glyph, size, dimmed), QIcon::Disabled);
    return icon;
}

} // namespace

TSkinFrame::TSkinFrame(QWidget* window, QString skin, int buttons, QString controlStyleSkin)
    : QObject(window), window_(window), frameSkin_(std::move(skin)),
      controlSkin_(std::move(controlStyleSkin)), buttons_(buttons) {
    initSkinResources();
    window_->setWindowFlag(Qt::FramelessWindowHint, true);
    connect(&TVisualEffects::instance(), &TVisualEffects::skinEffectsChanged, this,
            &TSkinFrame::applySkinEffects);
}

QString TSkinFrame::dialogStyleSheet() {
    initSkinResources();
    const SkinText dialog = parseSkin(QStringLiteral(":/skins/window.ini"));
    return readResource(dialog.value(QStringLiteral("skin"), QStringLiteral("style")));
}

void TSkinFrame::loadSkin() {
    const SkinText frame = parseSkin(frameSkin_);

    QString style = readResource(frame.value(QStringLiteral("skin"), QStringLiteral("style")));
    if (!controlSkin_.isEmpty()) {
        style += readResource(
            parseSkin(controlSkin_).value(QStringLiteral("skin"), QStringLiteral("style")));
    }
    window_->setStyleSheet(style);

    // Objects of an earlier skin go at once, so that each name is held by one object.
    qDeleteAll(objects_);
    objects_.clear();
    areas_.clear();
    const auto list = frame.sections.value(QStringLiteral("areas"));
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (const auto rect = parseRect(it.value())) {
            areas_.insert(it.key(), *rect);
        }
    }

    buildTitleBar(
        frame.value(QStringLiteral("skin"), QStringLiteral("titleheight"), QStringLiteral("22"))
            .toInt());

    // Panels first, so that they lie beneath the controls.
    for (const QString& section : frame.order) {
        if (!section.startsWith(QLatin1String("panel."))) {
            continue;
        }
        const auto rect = area(frame.value(section, QStringLiteral("area")));
        if (!rect) {
            continue;
        }
        auto* panel = new QFrame(window_);
        panel->setObjectName(section.mid(6));
        panel->setProperty("skinPanel", true);
        panel->setGeometry(*rect);
        panel->lower();
        panel->show();
        objects_.insert(QStringLiteral("panel:") + section, panel);
    }

    for (QWidget* child : window_->findChildren<QWidget*>()) {
        const QString areaName = child->property("skinArea").toString();
        if (!areaName.isEmpty()) {
            placeInto(child, areaName);
        }
    }

    const QColor glyphColor(frame.value(QStringLiteral("skin"), QStringLiteral("glyphcolor"),
                                        QStringLiteral("#d8dde6")));
    // "name" or "name #colour"
    const auto glyphs = frame.sections.value(QStringLiteral("glyphs"));
    for (auto it = glyphs.begin(); it != glyphs.end(); ++it) {
        if (auto* button = window_->findChild<QAbstractButton*>(it.key())) {
            const QStringList parts = it.value().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (parts.isEmpty()) {
                continue;
            }
            const QColor color = parts.size() > 1 ? QColor(parts[1]) : glyphColor;
            const QSize size = button->size().isEmpty() ? QSize(32, 24) : button->size();
            button->setIcon(glyphIcon(parts[0], size, color));
            button->setIconSize(size);
        }
    }

    for (const QString& section : frame.order) {
        if (!section.startsWith(QLatin1String("object."))) {
            continue;
        }
        const QString name = section.mid(7);
        const QString kind = frame.value(section, QStringLiteral("kind"));
        const auto rect = area(frame.value(section, QStringLiteral("area")));
        if (!rect) {
            continue;
        }
        QWidget* object = nullptr;
        if (kind == QLatin1String("label")) {
            auto* label = new TSkinLabel(
                frame.value(section, QStringLiteral("chars")),
                frame.value(section, QStringLiteral("dot"), QStringLiteral("2")).toInt(),
                QColor(frame.value(section, QStringLiteral("color"), QStringLiteral("#4ce07a"))),
                window_);
            label->setText(frame.value(section, QStringLiteral("text")));
            object = label;
        } else if (kind == QLatin1String("gauge")) {
            object = new TSkinGauge(
                frame.value(section, QStringLiteral("min"), QStringLiteral("0")).toInt(),
                frame.value(section, QStringLiteral("max"), QStringLiteral("100")).toInt(),
                window_);
        } else {
            continue;
        }
        object->setObjectName(name);
        object->setGeometry(*rect);
        object->raise();
        object->show();
        objects_.insert(name, object);
    }

    applySkinEffects(TVisualEffects::instance().skinEffects());
    emit changeSkinData();
}

void TSkinFrame::buildTitleBar(int titleHeight) {
    delete titleBar_;
    titleBar_ = new QWidget(window_);
    titleBar_->setObjectName(QStringLiteral("skinTitleBar"));
    titleBar_->setAttribute(Qt::WA_StyledBackground);
    titleBar_->setGeometry(0, 0, window_->width(), titleHeight);
    titleBar_->installEventFilter(this);
    auto* layout = new QHBoxLayout(titleBar_);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(2);
    const auto addButton = [&](const char* name, const QString& text, const QString& hint) {
        auto* button = new QToolButton(titleBar_);
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setToolTip(hint);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        return button;
    };
    if ((buttons_ & SystemMenu) != 0) {
        auto* button =
            addButton("skinSystemMenu", QStringLiteral("\u2261"), QStringLiteral("Menu"));
        connect(button, &QToolButton::clicked, this, [this, button] {
            if (systemMenu_) {
                systemMenu_->popup(button->mapToGlobal(QPoint(0, button->height())));
            }
        });
        layout->addWidget(button);
    }
    auto* caption = new QLabel(window_->windowTitle(), titleBar_);
    caption->setObjectName(QStringLiteral("skinCaption"));
    caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(window_, &QWidget::windowTitleChanged, caption, &QLabel::setText);
    layout->addWidget(caption, 1);
    if ((buttons_ & Minimise) != 0) {
        auto* button =
            addButton("skinMinimise", QStringLiteral("\u2013"), QStringLiteral("Minimize"));
        connect(button, &QToolButton::clicked, window_, &QWidget::showMinimized);
        layout->addWidget(button);
    }
    if ((buttons_ & Tray) != 0) {
        auto* button =
            addButton("skinTray", QStringLiteral("\u25BE"), QStringLiteral("Minimize to tray"));
        connect(button, &QToolButton::clicked, this, &TSkinFrame::minimiseToTray);
        layout->addWidget(button);
    }
    if ((buttons_ & Close) != 0) {
        auto* button = addButton("skinClose", QStringLiteral("\u2715"), QStringLiteral("Close"));
        connect(button, &QToolButton::clicked, window_, &QWidget::close);
        layout->addWidget(button);
    }
    titleBar_->show();
}

void TSkinFrame::minimiseToTray() {
    if (!trayIcon_ || !QSystemTrayIcon::isSystemTrayAvailable()) {
        window_->showMinimized();
        return;
    }
    trayIcon_->show();
    window_->hide();
    connect(
        trayIcon_, &QSystemTrayIcon::activated, this,
        [this] {
            window_->showNormal();
            window_->activateWindow();
            trayIcon_->hide();
        },
        Qt::SingleShotConnection);
}

bool TSkinFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == titleBar_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (QWindow* handle = window_->windowHandle()) {
            handle->startSystemMove();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TSkinFrame::applySkinEffects(bool on) {
    window_->setProperty("skinEffects", on);
    window_->style()->unpolish(window_);
    window_->style()->polish(window_);
    for (QWidget* child : window_->findChildren<QWidget*>()) {
        child->style()->unpolish(child);
        child->style()->polish(child);
    }
}

void TSkinFrame::setText(const QString& name, const QString& text) {
    if (auto* label = qobject_cast<TSkinLabel*>(objects_.value(name).data())) {
        label->setText(text);
    }
}

void TSkinFrame::setValue(const QString& name, int value) {
    if (auto* gauge = qobject_cast<TSkinGauge*>(objects_.value(name).data())) {
        gauge->setValue(value);
    }
}

std::optional<QRect> TSkinFrame::area(const QString& name) const {
    const auto it = areas_.find(name);
    if (it == areas_.end()) {
        return std::nullopt;
    }
    return *it;
}

void TSkinFrame::placeInto(QWidget* control, const QString& areaName) const {
    if (const auto rect = area(areaName)) {
        control->setGeometry(*rect);
    }
}

} // namespace wavora
