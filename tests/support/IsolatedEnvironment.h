#pragma once
// Every test process runs with its own HOME and XDG folders, so no test ever
// reads or writes the real user's files.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    QString root() const { return m_dir.path(); }
    QString dataHome() const { return root() + QStringLiteral("/data"); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString home() const { return root() + QStringLiteral("/home"); }

private:
    QTemporaryDir m_dir;
};

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
