// Every test executable owns one QApplication, so widgets and timers work in any test.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifndef Q_OS_WIN
    // Under Wine the Windows plugin draws on the virtual display: the Qt built for Windows
    // has no offscreen one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nelvora"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
