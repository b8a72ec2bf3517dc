#include "app_state.h"
#include "generator.h"
#include "program_window.h"
#include "translations.h"

#include <QApplication>

// The desktop program: one maximized window over the application state, until it is closed.
int main(int argc, char** argv)
{
    QApplication qtApplication(argc, argv);
    kolven::installPolishTranslations(qtApplication);
    kolven::AppState state;
    kolven::RandomSystemGenerator generator;
    kolven::ProgramWindow program(state, generator);
    program.show();
    return qtApplication.exec();
}
