#include "main_window.h"

#include "menu.h"
#include "menu_rules.h"
#include "window_layout.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace kolven {

namespace {

// The program's texts are shown as they are (literalMenuText).
QString literalText(std::string_view text)
{
    const std::string shown = literalMenuText(text);
    return QString::fromUtf8(shown.data(), qsizetype(shown.size()));
}

// The menu bar's style without keyboard access: the Alt key does nothing, a click still opens a menu.
class NoAltMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QKeySequence keySequence(const WindowShortcut& shortcut)
{
    Qt::Key key = Qt::Key_Escape;
    switch (shortcut.key) {
    case WindowKey::Escape: key = Qt::Key_Escape; break;
    case WindowKey::PageDown: key = Qt::Key_PageDown; break;
    case WindowKey::Space: key = Qt::Key_Space; break;
    case WindowKey::O: key = Qt::Key_O; break;
    case WindowKey::S: key = Qt::Key_S; break;
    case WindowKey::E: key = Qt::Key_E; break;
    }
    return shortcut.ctrl ? QKeySequence(Qt::CTRL | key) : QKeySequence(key);
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent,
                  // No minimize or maximize button: the window stays maximized where it opened.
                  Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                      | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromUtf8(kWindowTitle.data(), qsizetype(kWindowTitle.size())));
    // The text area scrolls sideways only: pages are made to fit its height.
    area_ = new QScrollArea(this);
    area_->setFrameShape(QFrame::NoFrame);
    area_->setFocusPolicy(Qt::NoFocus);
    area_->setWidgetResizable(true);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette grey = area_->palette();
    grey.setColor(QPalette::Window, TextView::kBackground);
    area_->setPalette(grey);
    view_ = new TextView;
    area_->setWidget(view_);
    setCentralWidget(area_);
    area_->installEventFilter(this);

    // "DALEJ" belongs to the area, not to the text: it stays in place while the text scrolls.
    nextButton_ = new QPushButton(literalText(kNextButtonText), area_);
    nextButton_->setObjectName(QStringLiteral("nextButton"));
    nextButton_->setFocusPolicy(Qt::NoFocus);
    nextButton_->hide();
    connect(nextButton_, &QPushButton::clicked, this, [this] {
        if (onNextPage)
            onNextPage();
    });
    placeNextButton();
    buildMenu();
    addWindowKeys();
}

void MainWindow::addWindowKeys()
{
    for (const WindowShortcut& shortcut : kWindowShortcuts) {
        if (shortcut.action == KeyAction::Command)
            continue;
        auto* key = new QAction(this);
        key->setShortcut(keySequence(shortcut));
        addAction(key);
        const bool paging = shortcut.action == KeyAction::NextPage;
        connect(key, &QAction::triggered, this, [this, paging] {
            const auto& hook = paging ? onNextPage : onExportShown;
            if (hook)
                hook();
        });
    }
}

void MainWindow::buildMenu()
{
    QMenuBar* bar = menuBar();
    auto* style = new NoAltMenuStyle;
    style->setParent(bar);
    bar->setStyle(style);
    for (const MenuPopup& popup : kMenuPopups) {
        QMenu* menu = bar->addMenu(literalText(popup.title));
        for (const MenuItem& item : popup.items) {
            if (item.isSeparator())
                menu->addSeparator();
            else
                addCommand(menu, item);
        }
    }
    addCommand(bar, kAboutItem);
}

void MainWindow::addCommand(QWidget* owner, const MenuItem& item)
{
    const CommandId id = item.id;
    auto* entry = new QAction(literalText(item.text), owner);
    entry->setEnabled(enabledAtStart(id));
    entry->setCheckable(item.checkable);
    entry->setData(int(id));
    // A shortcut of the window, wherever the focus is (the menu bar keeps it after a menu closed);
    // like the entry, it does nothing while greyed. Ctrl+E is shown on every export of results, but
    // the window's own key chooses among them (the results on the window): on the entries it
    // only shows, and acts only inside their open menu.
    if (const auto shortcut = entryShortcut(id)) {
        entry->setShortcut(keySequence(*shortcut));
        if (shortcut->action != KeyAction::Command)
            entry->setShortcutContext(Qt::WidgetShortcut);
    }
    connect(entry, &QAction::triggered, this, [this, id] {
        if (onCommand)
            onCommand(id);
    });
    actions_[id] = entry;
    owner->addAction(entry);
}

QAction* MainWindow::action(CommandId id) const
{
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void MainWindow::setCommandEnabled(CommandId id, bool enabled)
{
    if (QAction* entry = action(id))
        entry->setEnabled(enabled);
}

void MainWindow::setCommandChecked(CommandId id, bool checked)
{
    if (QAction* entry = action(id))
        entry->setChecked(checked);
}

QScrollBar& MainWindow::horizontalBar() const
{
    return *area_->horizontalScrollBar();
}

int MainWindow::pageBottom() const
{
    return area_->height() - area_->horizontalScrollBar()->sizeHint().height() - kPageMargin;
}

void MainWindow::keepMaximized()
{
    keepMaximized_ = true;
    restoreMaximizedLater();
}

void MainWindow::closeWithoutAsking()
{
    closingWithoutAsking_ = true;
    close();
}

void MainWindow::placeNextButton()
{
    nextButton_->setGeometry(kNextButtonX, nextButtonTop(pageBottom()), kNextButtonWidth, kNextButtonHeight);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (closingWithoutAsking_ || !confirmClose || confirmClose()) {
        event->accept();
    } else {
        closingWithoutAsking_ = false;
        event->ignore();
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        restoreMaximizedLater();
}

// The window system's change is undone after it has been delivered in full, once per burst.
void MainWindow::restoreMaximizedLater()
{
    if (!keepMaximized_ || restorePending_)
        return;
    restorePending_ = true;
    QTimer::singleShot(0, this, [this] {
        restorePending_ = false;
        if (isVisible() && windowState() != Qt::WindowMaximized)
            setWindowState(Qt::WindowMaximized);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == area_ && event->type() == QEvent::Resize)
        placeNextButton();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace kolven
