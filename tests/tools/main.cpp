#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Text drawing needs an application object, but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
