#pragma once

class QCoreApplication;

namespace kolven {

// Makes Qt's own texts Polish (the file dialogs, the Yes and No and Cancel buttons) from the Polish
// translations installed with Qt, and makes Polish the default locale. Returns false when the
// translations are not installed; the program then runs with Qt's English texts.
bool installPolishTranslations(QCoreApplication& application);

} // namespace kolven
