#pragma once

#include "dialog_window.h"
#include "grid_editor.h"

#include <QAbstractSlider>
#include <QFont>

#include <vector>

class QLabel;
class QLineEdit;
class QScrollBar;

namespace kolven {

// The table editor on screen: OK and ANULUJ, at most 15 x 10 fields under their column and row
// labels, and scroll bars over a larger table. The bars' actions become the logic's scroll
// requests; after a move every label and field is read again from the logic.
class GridEditorWindow : public DialogWindow {
    Q_OBJECT

public:
    GridEditorWindow(GridEditor& editor, QWidget* owner);

    // The scroll bars; null when the table fits the grid that way.
    QScrollBar* horizontalBar() const { return horizontalBar_; }
    QScrollBar* verticalBar() const { return verticalBar_; }
    // Visible field (r, c).
    QLineEdit* cell(int r, int c) const;

    // Where the grid stands on a wide table; null without a horizontal bar.
    QLabel* positionLabel() const { return position_; }

    // Thickness of a scroll bar, in pixels: the frame's extra 8 dialog units.
    static constexpr int kBarThickness = 8 * kPixelsPerUnit;

protected:
    // Escape closes the grid as ANULUJ does; the wheel scrolls it (Shift or a sideways wheel: the
    // columns).
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFont cellFont() const;
    // After a refused OK: the grid shows the refused field, focused, and the message.
    void refused();
    void setBarPositions();
    // Sizes the fields and labels for the widest texts they show, and widens the dialog to show
    // its buttons, its caption and every column whole.
    void fitToTexts();
    void createBars();
    void createGrid();
    void refill();
    void scrolled(QScrollBar* bar, int action, bool columns);

    GridEditor& editor_;
    std::vector<QLabel*> columnLabels_;
    std::vector<QLabel*> rowLabels_;
    std::vector<QLineEdit*> cells_;
    QScrollBar* horizontalBar_ = nullptr;
    QScrollBar* verticalBar_ = nullptr;
    QLabel* position_ = nullptr;
    int wheelRest_ = 0;
    bool filling_ = false;
};

// The scroll request a bar's action stands for; EndScroll for actions that move nothing.
ScrollRequest scrollRequestOf(QAbstractSlider::SliderAction action);

} // namespace kolven
