#include <QApplication>

#include <gtest/gtest.h>

// The Qt tests share one QApplication. They run offscreen unless a platform is chosen, and with
// Qt's own file dialogs, which a test can fill in.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
