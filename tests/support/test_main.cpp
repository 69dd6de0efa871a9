// Shared main for the test executables: headless Qt and GoogleTest.
#include <gtest/gtest.h>

#include <QLocale>
#ifdef MORVELA_TEST_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // One locale for every run, so dates and number formats are predictable.
    qputenv("LC_ALL", "C.UTF-8");
    // Transfers honour the system's proxy; the tests' servers are on loopback
    // and a proxy of the machine running them must not come between.
    for (const char* ime :
         {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
        qunsetenv(ime);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef MORVELA_TEST_WIDGETS
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
