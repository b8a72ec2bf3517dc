#include "qt_screen.h"

#include "cross_validation_dialog_window.h"
#include "grid_editor_window.h"
#include "knn_dialog_window.h"
#include "main_window.h"
#include "parameter_dialog_window.h"
#include "preparation_dialog_window.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QWindow>

namespace kolven {

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString pathText(const std::filesystem::path& path)
{
    const std::string native = path.string();
    return QFile::decodeName(QByteArray(native.data(), qsizetype(native.size())));
}

// Icons and type names told from a file's name alone. The stock provider sniffs contents, and a
// special file (in /proc, a pipe, a device) can block that read for ever, taking the program with it.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo& info) const override
    {
        if (info.isDir())
            return QFileIconProvider::type(info);
        return names_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
    }

private:
    QMimeDatabase names_;
};

// Runs a file dialog with the filter entries and the default suffix; nothing when cancelled.
std::optional<std::filesystem::path> runFileDialog(QWidget* owner, const FileDialogSettings& settings,
                                                   QFileDialog::AcceptMode mode)
{
    NameOnlyIconProvider icons;
    QFileDialog dialog(owner);
    dialog.setIconProvider(&icons);
    dialog.setNameFilters(fileDialogFilters(settings));
    if (!settings.startFolder.empty())
        dialog.setDirectory(pathText(settings.startFolder));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(fromUtf8(settings.defaultSuffix));
    // A save over an existing file asks first; QFileDialog does so unless told otherwise.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    const QByteArray native = QFile::encodeName(chosen.front());
    return std::filesystem::path(std::string(native.constData(), std::size_t(native.size())));
}

} // namespace

QStringList fileDialogFilters(const FileDialogSettings& settings)
{
    QString patterns = fromUtf8(settings.filterPattern);
    patterns.replace(u';', u' ');
    QStringList filters{fromUtf8(settings.filterLabel) + QStringLiteral(" (") + patterns + u')'};
    // Here "*.*" would hide names without a dot; "*" is every file.
    if (settings.offerAllFiles)
        filters.push_back(fromUtf8(kAllFilesLabel) + QStringLiteral(" (*)"));
    return filters;
}

void QtScreen::setCommandEnabled(CommandId id, bool enabled)
{
    window_.setCommandEnabled(id, enabled);
}

void QtScreen::setCommandChecked(CommandId id, bool checked)
{
    window_.setCommandChecked(id, checked);
}

void QtScreen::setNextButtonVisible(bool visible)
{
    window_.nextButton().setVisible(visible);
}

void QtScreen::setNextButtonEnabled(bool enabled)
{
    window_.nextButton().setEnabled(enabled);
}

void QtScreen::clearText()
{
    window_.textView().clearText();
}

void QtScreen::drawText(int x, int y, std::string_view text)
{
    window_.textView().addText(x, y, fromUtf8(text));
}

void QtScreen::drawCentered(int y, std::string_view text)
{
    window_.textView().addCentered(y, fromUtf8(text));
}

void QtScreen::flush()
{
    // Paints at once: the wait line must be on screen before a computation blocks the loop.
    window_.textView().repaint();
}

int QtScreen::pageBottom() const
{
    return window_.pageBottom();
}

std::optional<std::filesystem::path> QtScreen::askOpenFile(const FileDialogSettings& settings)
{
    return runFileDialog(&window_, settings, QFileDialog::AcceptOpen);
}

std::optional<std::filesystem::path> QtScreen::askSaveFile(const FileDialogSettings& settings)
{
    return runFileDialog(&window_, settings, QFileDialog::AcceptSave);
}

void QtScreen::showMessage(std::string_view text, std::string_view caption)
{
    QMessageBox box(QMessageBox::NoIcon, fromUtf8(caption), fromUtf8(text), QMessageBox::Ok, &window_);
    box.button(QMessageBox::Ok)->setText(fromUtf8(kOkText));
    box.exec();
}

bool QtScreen::askYesNo(std::string_view text)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), fromUtf8(text), QMessageBox::Yes | QMessageBox::No, &window_);
    // The program's own texts, as in every adapter, whatever translations are installed.
    box.button(QMessageBox::Yes)->setText(fromUtf8(kYesText));
    box.button(QMessageBox::No)->setText(fromUtf8(kNoText));
    // Given no title, the platform would show the program's name; a blank one shows nothing.
    box.winId();
    box.windowHandle()->setTitle(QStringLiteral(" "));
    return box.exec() == QMessageBox::Yes;
}

bool QtScreen::runParameterDialog(ParameterDialog& dialog)
{
    ParameterDialogWindow window(dialog, &window_);
    return window.exec() == QDialog::Accepted;
}

bool QtScreen::runKnnDialog(KnnDialog& dialog)
{
    KnnDialogWindow window(dialog, &window_);
    return window.exec() == QDialog::Accepted;
}

bool QtScreen::runCrossValidationDialog(CrossValidationDialog& dialog)
{
    CrossValidationDialogWindow window(dialog, &window_);
    return window.exec() == QDialog::Accepted;
}

bool QtScreen::runGridEditor(GridEditor& editor)
{
    GridEditorWindow window(editor, &window_);
    return window.exec() == QDialog::Accepted;
}

bool QtScreen::runPreparationDialog(PreparationDialog& dialog)
{
    PreparationDialogWindow window(dialog, &window_);
    return window.exec() == QDialog::Accepted;
}

void QtScreen::closeWindow()
{
    window_.closeWithoutAsking();
}

void QtScreen::post(std::function<void()> task)
{
    // A queued call is delivered by the window thread's event loop, and dropped with the window.
    QMetaObject::invokeMethod(&window_, std::move(task), Qt::QueuedConnection);
}

} // namespace kolven
