#pragma once
// Every test process runs with its own HOME and XDG folders, so no test ever
// reads or writes the real user's files; its debug log opens in the app's
// folders there.
#include "Storage/AppFolders.h"
#include "Debug/DebugLog.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    std::optional<DebugLog::File> m_log;
};

// Makes HOME and the XDG folders below root (the runtime folder private to the
// user); returns each variable with its folder, nothing when one cannot be made.
QList<std::pair<const char*, QString>> makeUserFolders(const QString& root);

// The app's folders inside the isolated HOME, found as the program finds them
// (from the XDG environment); a new instance on each call.
AppFolders testFolders();
// The system's file calls, for the platform's file writers in tests.
FileCalls& testFileCalls();

// QTEST_MAIN with the isolated environment set up before QApplication exists.
#define ZENTU_TEST_MAIN(TestClass)                         \
    int main(int argc, char** argv)                        \
    {                                                      \
        IsolatedEnvironment isolatedEnvironment;           \
        QApplication app(argc, argv);                      \
        app.setAttribute(Qt::AA_Use96Dpi, true);           \
        TestClass tc;                                      \
        QTEST_SET_MAIN_SOURCE_PATH                         \
        return QTest::qExec(&tc, argc, argv);              \
    }
