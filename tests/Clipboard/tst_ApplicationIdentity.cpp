// How a process is named as a source application: desktop files, GTK
// application ids, WM_CLASS and the executable, in that order of trust.
#include "Platform/X11/X11ApplicationIdentity.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>

class tst_ApplicationIdentity : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    void desktopFile(const QString& relative, const QByteArray& body)
    {
        const QString path = dir.path() + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(body);
    }

private Q_SLOTS:
    void desktopEntriesAndIdentification()
    {
        desktopFile("org.keepassxc.KeePassXC.desktop",
                    "[Desktop Entry]\nName=KeePassXC\nExec=keepassxc %f\nStartupWMClass=keepassxc\n"
                    "[Desktop Action New]\nName=Neu\nExec=other\n");
        desktopFile("kde/kate.desktop", "[Desktop Entry]\nName=Kate\nExec=env QT_X=1 /usr/bin/kate -b %U\n");
        desktopFile("gone.desktop", "[Desktop Entry]\nName=Weg\nExec=gone\nHidden=true\n");
        const auto entries = X11ApplicationIdentity::readDesktopEntries({dir.path()});
        QCOMPARE(entries.size(), 2);

        using Info = ApplicationIdentity::Info;
        // A GTK application id is the desktop-file id itself.
        QCOMPARE(X11ApplicationIdentity::identify(7, "org.gnome.TextEditor", "gnome-text-editor", "x", entries),
                 (Info{"org.gnome.TextEditor", "org.gnome.TextEditor", 7}));
        QCOMPARE(X11ApplicationIdentity::identify(7, "org.keepassxc.KeePassXC", "", "", entries)->name,
                 QStringLiteral("KeePassXC"));
        // WM_CLASS matched through StartupWMClass, then the executable through Exec.
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "KeePassXC", "", entries),
                 (Info{"org.keepassxc.KeePassXC", "KeePassXC", 7}));
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "", "kate", entries), (Info{"kde-kate", "Kate", 7}));
        // Nothing known: the class, else the executable, else nothing.
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "Xterm", "xterm", entries)->id, QStringLiteral("Xterm"));
        QCOMPARE(X11ApplicationIdentity::identify(7, "", "", "gone", entries)->id, QStringLiteral("gone"));
        QVERIFY(!X11ApplicationIdentity::identify(7, "", "", "", entries));
    }
};

ZENTU_TEST_MAIN(tst_ApplicationIdentity)
#include "tst_ApplicationIdentity.moc"
