#include "text_view.h"

#include <QPainter>
#include <QPaintEvent>

#include <algorithm>

namespace kolven {

namespace {

constexpr int kRightMargin = 6; // grey after the end of the widest line when scrolled to it

} // namespace

TextView::TextView(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kBackground);
    setPalette(grey);
}

void TextView::clearText()
{
    lines_.clear();
    widest_ = 0;
    updateGeometry();
    update();
}

void TextView::addText(int x, int y, const QString& text)
{
    addLines(x, y, false, text);
}

void TextView::addCentered(int y, const QString& text)
{
    addLines(0, y, true, text);
}

void TextView::addLines(int x, int y, bool centered, const QString& text)
{
    // A trailing line break ends the last line; it does not start an empty one.
    QString body = text;
    while (body.endsWith(u'\n') || body.endsWith(u'\r'))
        body.chop(1);
    const QStringList parts = body.split(u'\n');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        QString line = parts[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!centered)
            widest_ = std::max(widest_, x + fontMetrics().horizontalAdvance(line) + kRightMargin);
        lines_.push_back(Line{x, y + int(i) * kLineHeight, centered, line});
    }
    updateGeometry();
    update();
}

QSize TextView::minimumSizeHint() const
{
    return QSize(widest_, 0);
}

void TextView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), kBackground);
    painter.setPen(kTextColor);
    // No mnemonic processing and no clipping: rule lines hold "&" and may be wider than the view.
    constexpr int kFlags = Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine;
    for (const Line& line : lines_) {
        if (line.centered) {
            painter.drawText(QRect(0, line.y, width(), kLineHeight), kFlags | Qt::AlignHCenter, line.text);
        } else {
            painter.drawText(QRect(line.x, line.y, width(), kLineHeight), kFlags | Qt::AlignLeft, line.text);
        }
    }
}

} // namespace kolven
