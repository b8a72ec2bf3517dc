#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include "window_layout.h"

#include <vector>

namespace kolven {

// The main window's text area: green text on grey, lines 16 pixels apart. It keeps the texts it
// was last given and paints them again whenever the window system asks, so a page survives being
// covered by a dialog.
class TextView : public QWidget {
    Q_OBJECT

public:
    explicit TextView(QWidget* parent = nullptr);

    // Forgets every text; the next paint shows an all-grey area.
    void clearText();
    // Adds text with its first line's top-left corner at (x, y); further lines follow 16 pixels
    // apart. "&" and every other character are drawn literally.
    void addText(int x, int y, const QString& text);
    // Adds text whose lines are each centred across the width, the first at y.
    void addCentered(int y, const QString& text);

    // One drawn line, for tests and for painting.
    struct Line {
        int x = 0;
        int y = 0;
        bool centered = false;
        QString text;
    };
    // The lines as they are painted, in drawing order.
    const std::vector<Line>& lines() const { return lines_; }

    // As wide as the widest line, so that the scroll area around it can show a long rule whole.
    QSize minimumSizeHint() const override;

    static constexpr int kLineHeight = kolven::kLineHeight;
    static inline const QColor kBackground{128, 128, 128};
    static inline const QColor kTextColor{0, 255, 0};

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void addLines(int x, int y, bool centered, const QString& text);

    std::vector<Line> lines_;
    int widest_ = 0; // right edge of the widest left-aligned line, in pixels
};

} // namespace kolven
