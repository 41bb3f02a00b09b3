// Runs every registered window test class on the offscreen platform, with the window's
// settings kept in a temporary folder so a test never reads or writes the user's own.
#include "AppTest.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace apptest {
std::vector<Factory>& registeredTests() {
    static std::vector<Factory> tests;
    return tests;
}
} // namespace apptest

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());

    int failures = 0;
    for (const auto& make : apptest::registeredTests()) {
        std::unique_ptr<QObject> test = make();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
