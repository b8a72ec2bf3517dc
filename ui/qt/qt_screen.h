#pragma once

#include "window_screen.h"

#include <QStringList>

namespace kolven {

// The application's screen on the Qt main window.
using QtScreen = WindowScreen;

// The file dialogs' filter entries: the label, then the patterns in parentheses with ";" turned
// into spaces ("Pliki MSD, TAB, CSV, ARFF (*.msd *.tab *.csv *.arff)"), and "Wszystkie pliki (*)" when offered.
QStringList fileDialogFilters(const FileDialogSettings& settings);

} // namespace kolven
