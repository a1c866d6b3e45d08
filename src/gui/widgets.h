// The few widgets the window models need beyond Qt's own: a frame that can
// be clicked on its background, a clickable label, and a lamp.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace orbilan::gui {

// A container with an optional caption on its border. Without a caption it
// is a plain panel. It paints its background, so that a frame laid over
// another (the sweep panel over the sweep control) hides what is beneath.
class FrameBox : public QWidget {
    Q_OBJECT
public:
    explicit FrameBox(QWidget* parent = nullptr);
    void setTitle(const QString& title);
    const QString& title() const { return title_; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString title_;
};

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A coloured indicator: a round LED, or a square colour swatch.
class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(bool round, QWidget* parent = nullptr);
    void setColour(const QColor& colour);
    const QColor& colour() const { return colour_; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool round_;
    QColor colour_{0xC0, 0xC0, 0xC0};
};

// A padlock, closed or open, for the frequency-units lock.
QPixmap padlockPixmap(bool locked, int size, qreal devicePixelRatio);

} // namespace orbilan::gui
