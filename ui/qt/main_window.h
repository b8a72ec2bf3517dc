#pragma once

#include "menu.h"
#include "screen.h"
#include "text_view.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <string_view>

class QAction;
class QMenu;
class QPushButton;
class QScrollArea;
class QScrollBar;

namespace kolven {

// The program's one window: the menu bar built from the application's menu layout, the text area and the
// "DALEJ" button. It decides nothing itself: menu choices, the button and the close box are
// handed to the hooks, which the application logic fills in.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window with its menu; the entries start enabled or greyed as at program start.
    explicit MainWindow(QWidget* parent = nullptr);

    TextView& textView() { return *view_; }
    QPushButton& nextButton() { return *nextButton_; }
    // The text area's horizontal bar, shown while a line is wider than the window.
    QScrollBar& horizontalBar() const;
    // The menu entry of a command; null for an id the layout does not hold.
    QAction* action(CommandId id) const;

    // Enables or greys the menu entry of a command; an unknown id is ignored.
    void setCommandEnabled(CommandId id, bool enabled);
    // Sets the check mark of a checkable entry; an unknown id is ignored.
    void setCommandChecked(CommandId id, bool checked);
    // Bottom edge of the page: the text area's height, less its horizontal bar's (whether shown
    // or not, so that the page does not change with the bar) and 6 pixels.
    int pageBottom() const;
    // From now on the window stays maximized: whatever takes it out of that state (the title
    // bar's buttons, a double click on the title, a drag) is undone at once. Window managers
    // refuse to move or size a maximized window themselves.
    void keepMaximized();
    // Closes the window without the confirmation question.
    void closeWithoutAsking();

    // Called with each chosen menu command, on a "DALEJ" click (and its keys), on Ctrl+E, and on a close request (a true
    // result lets the window close). Unset hooks do nothing; an unset confirmation allows closing.
    std::function<void(CommandId)> onCommand;
    std::function<void()> onNextPage;
    std::function<void()> onExportShown;
    std::function<bool()> confirmClose;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void addCommand(QWidget* owner, const MenuItem& item);
    // The keys of kWindowShortcuts that are not a menu entry's: paging and Ctrl+E.
    void addWindowKeys();
    void placeNextButton();
    void restoreMaximizedLater();

    QScrollArea* area_ = nullptr;
    TextView* view_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    std::map<CommandId, QAction*> actions_;
    bool closingWithoutAsking_ = false;
    bool keepMaximized_ = false;
    bool restorePending_ = false;
};

} // namespace kolven
