// The long runs need one QApplication for the whole process when they include the Qt backend;
// without a display its windows are drawn offscreen.

#include <gtest/gtest.h>

#if defined(KOSTKOLAM_RELIABILITY_QT)
#include <QApplication>
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#if defined(KOSTKOLAM_RELIABILITY_QT)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
