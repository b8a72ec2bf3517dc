#include "grid_editor_window.h"

#include "table_files.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace kolven {

namespace {

constexpr int kCellFontPixels = 9;
constexpr int kTitleBarEnds = 128; // a title bar's borders, icon, buttons and margins around the caption
constexpr int kWheelNotch = 120;    // the angle of one wheel notch, in eighths of a degree

} // namespace

ScrollRequest scrollRequestOf(QAbstractSlider::SliderAction action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollRequest::LineBack;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollRequest::LineForward;
    case QAbstractSlider::SliderPageStepSub: return ScrollRequest::PageBack;
    case QAbstractSlider::SliderPageStepAdd: return ScrollRequest::PageForward;
    case QAbstractSlider::SliderMove: return ScrollRequest::Thumb;
    case QAbstractSlider::SliderToMinimum: return ScrollRequest::First;
    case QAbstractSlider::SliderToMaximum: return ScrollRequest::Last;
    default: return ScrollRequest::EndScroll;
    }
}

GridEditorWindow::GridEditorWindow(GridEditor& editor, QWidget* owner)
    : DialogWindow(editor.frame(), owner), editor_(editor)
{
    fitToTexts();
    const auto [ok, cancel] = addOkAndCancel(editor_);
    ok->setFocusPolicy(Qt::ClickFocus);
    cancel->setFocusPolicy(Qt::ClickFocus);
    // Connected after the logic's handler: runs once OK was told to the logic.
    connect(ok, &QPushButton::clicked, this, [this] {
        if (!editor_.refusal().empty())
            refused();
    });
    createBars();
    createGrid();
    if (editor_.hasHorizontalBar())
        position_ = addLabel("", editor_.positionBox());
    refill();
}

void GridEditorWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        editor_.cancel();
        done(Rejected);
        return;
    }
    DialogWindow::keyPressEvent(event);
}

bool GridEditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over a field scrolls the grid, as over the dialog.
    if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return DialogWindow::eventFilter(watched, event);
}

void GridEditorWindow::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const bool columns = angle.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    // Fine-grained wheels send parts of a notch; they add up to whole ones.
    wheelRest_ += angle.x() != 0 ? angle.x() : angle.y();
    const int notches = wheelRest_ / kWheelNotch;
    wheelRest_ %= kWheelNotch;
    if (notches != 0 && editor_.scrollByWheel(-notches, columns)) {
        refill();
        setBarPositions();
    }
    event->accept();
}

void GridEditorWindow::refused()
{
    refill();
    setBarPositions();
    QLineEdit* field = cell(editor_.refusedRow(), editor_.refusedColumn());
    field->setFocus();
    field->selectAll();
    QMessageBox box(QMessageBox::NoIcon, toQString(kErrorCaption), toQString(editor_.refusal()), QMessageBox::Ok, this);
    box.exec();
}

void GridEditorWindow::setBarPositions()
{
    if (horizontalBar_)
        horizontalBar_->setSliderPosition(int(editor_.firstColumn()));
    if (verticalBar_)
        verticalBar_->setSliderPosition(int(editor_.firstRow()));
}

QLineEdit* GridEditorWindow::cell(int r, int c) const
{
    return cells_[std::size_t(r) * std::size_t(editor_.visibleColumns()) + std::size_t(c)];
}

QFont GridEditorWindow::cellFont() const
{
    // The fields are many and narrow: a small font keeps 15 of them on a screen.
    QFont small = font();
    small.setPixelSize(kCellFontPixels);
    small.setStretch(QFont::SemiCondensed);
    return small;
}

void GridEditorWindow::fitToTexts()
{
    editor_.fitTexts(QFontMetrics(cellFont()).horizontalAdvance(toQString(GridEditor::widestCellText())),
                     fontMetrics().horizontalAdvance(toQString(editor_.widestRowLabel())));
    // The caption's room: its text in a bold title font, and the title bar's ends.
    QFont title = font();
    title.setBold(true);
    const int captionWidth = QFontMetrics(title).horizontalAdvance(windowTitle()) + kTitleBarEnds;
    const int gridWidth = editor_.minimumClientWidth() + (editor_.hasVerticalBar() ? kBarThickness : 0);
    setFixedSize(std::max({width(), gridWidth, captionWidth}), height());
    // A widened dialog stays on its owner's screen.
    if (const QScreen* shown = screen()) {
        const QRect room = shown->availableGeometry();
        if (geometry().right() > room.right())
            move(std::max(room.left(), room.right() - width()), y());
    }
}

void GridEditorWindow::createBars()
{
    const bool both = editor_.hasHorizontalBar() && editor_.hasVerticalBar();
    const int spareWidth = width() - (editor_.hasVerticalBar() ? kBarThickness : 0);
    const int spareHeight = height() - (editor_.hasHorizontalBar() ? kBarThickness : 0);
    if (editor_.hasHorizontalBar()) {
        horizontalBar_ = new QScrollBar(Qt::Horizontal, this);
        horizontalBar_->setGeometry(0, height() - kBarThickness, both ? spareWidth : width(), kBarThickness);
        horizontalBar_->setRange(0, editor_.horizontalMaximum());
        horizontalBar_->setPageStep(editor_.visibleColumns());
        connect(horizontalBar_, &QScrollBar::actionTriggered, this,
                [this](int action) { scrolled(horizontalBar_, action, true); });
    }
    if (editor_.hasVerticalBar()) {
        verticalBar_ = new QScrollBar(Qt::Vertical, this);
        verticalBar_->setGeometry(width() - kBarThickness, 0, kBarThickness, both ? spareHeight : height());
        verticalBar_->setRange(0, editor_.verticalMaximum());
        verticalBar_->setPageStep(editor_.visibleRows());
        connect(verticalBar_, &QScrollBar::actionTriggered, this,
                [this](int action) { scrolled(verticalBar_, action, false); });
    }
}

void GridEditorWindow::createGrid()
{
    for (int c = 0; c < editor_.visibleColumns(); ++c)
        columnLabels_.push_back(addLabel("", editor_.columnLabelBox(c)));
    for (int r = 0; r < editor_.visibleRows(); ++r)
        rowLabels_.push_back(addLabel("", editor_.rowLabelBox(r)));
    const QFont fieldFont = cellFont();
    // Created row by row, so the tab order runs row by row.
    for (int r = 0; r < editor_.visibleRows(); ++r) {
        for (int c = 0; c < editor_.visibleColumns(); ++c) {
            QLineEdit* field = addEdit(editor_.cellBox(r, c), false);
            field->setFont(fieldFont);
            field->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px; border: 1px solid #7a7a7a; background: white; }"));
            field->installEventFilter(this);
            connect(field, &QLineEdit::textChanged, this, [this, r, c](const QString& text) {
                if (!filling_)
                    editor_.setCellText(r, c, toUtf8(text));
            });
            cells_.push_back(field);
        }
    }
}

void GridEditorWindow::refill()
{
    filling_ = true;
    for (int c = 0; c < editor_.visibleColumns(); ++c) {
        // A name longer than its column ends in an ellipsis; the whole of it is the tooltip.
        QLabel* label = columnLabels_[std::size_t(c)];
        const QString name = toQString(editor_.columnLabel(c));
        label->setText(label->fontMetrics().elidedText(name, Qt::ElideRight, label->width()));
        label->setToolTip(name);
    }
    for (int r = 0; r < editor_.visibleRows(); ++r)
        rowLabels_[std::size_t(r)]->setText(toQString(editor_.rowLabel(r)));
    if (position_)
        position_->setText(toQString(editor_.positionText()));
    for (int r = 0; r < editor_.visibleRows(); ++r) {
        for (int c = 0; c < editor_.visibleColumns(); ++c) {
            QLineEdit* field = cell(r, c);
            field->setText(toQString(editor_.cellText(r, c)));
            // Long values are shown from their first digit, not scrolled to their end.
            field->setCursorPosition(0);
        }
    }
    filling_ = false;
}

void GridEditorWindow::scrolled(QScrollBar* bar, int action, bool columns)
{
    // The bar has moved its slider by its own rules; the logic's rules decide where it ends.
    const ScrollRequest request = scrollRequestOf(QAbstractSlider::SliderAction(action));
    const int track = bar->sliderPosition();
    const bool moved = columns ? editor_.scrollColumns(request, track) : editor_.scrollRows(request, track);
    if (moved)
        refill();
    bar->setSliderPosition(int(columns ? editor_.firstColumn() : editor_.firstRow()));
}

} // namespace kolven
