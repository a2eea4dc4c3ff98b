// The single-instance rule between processes, and the splash window.
#include "app/shell/TSplash.h"
#include "app/shell/TStartup.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class StartupTest : public QObject {
    Q_OBJECT

    QTemporaryDir runtime_;
    std::vector<std::unique_ptr<QProcess>> running_;

    // Starts a helper and returns what it says.
    QString start(const QStringList& args)
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationDirPath() + QStringLiteral("/shell_instance_helper"), args);
        if (!p->waitForStarted(10000) || !p->waitForReadyRead(10000)) return QStringLiteral("no answer");
        const QString said = QString::fromLatin1(p->readLine()).trimmed();
        running_.push_back(std::move(p));
        return said;
    }
    void stop(size_t index)
    {
        QProcess& p = *running_.at(index);
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(10000));
    }

private slots:
    void cleanup()
    {
        for (auto& p : running_) {
            p->closeWriteChannel();
            if (!p->waitForFinished(10000)) p->kill();
        }
        running_.clear();
    }

    void secondInstanceWithoutFilesIsBlocked()
    {
        QCOMPARE(start({QStringLiteral("prevent")}), QStringLiteral("running"));
        QCOMPARE(start({QStringLiteral("prevent")}), QStringLiteral("blocked"));
        // With a file, or with the option off, it starts and takes no lock...
        QCOMPARE(start({QStringLiteral("prevent"), QStringLiteral("a.qvx")}), QStringLiteral("running"));
        QCOMPARE(start({QStringLiteral("allow")}), QStringLiteral("running"));
        // ...so once the first one ends, the next one without files runs again.
        stop(0);
        QCOMPARE(start({QStringLiteral("prevent")}), QStringLiteral("running"));
        QCOMPARE(start({QStringLiteral("prevent")}), QStringLiteral("blocked"));
        QCOMPARE(QString::fromLatin1(tavil::kMultipleInstancesMessage),
                 QStringLiteral("You cannot create multiple instances of Quillomere Tavilor."));
    }

    void applicationRecordLeavesTheDisplayNameUnset()
    {
        // A display name that is set is appended by Qt to every window-system title on X11 and
        // Wayland; unset, it reads back as the application name.
        tavil::ApplyApplicationRecord();
        QCOMPARE(QGuiApplication::applicationName(), QStringLiteral("tavil"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("tavil"));
        QCOMPARE(QApplication::font().pointSize(), 8);
        QVERIFY(!QApplication::windowIcon().isNull());
    }

    void splashWindow()
    {
        const QPixmap picture = tavil::SplashPicture();
        QCOMPARE(picture.size(), QSize(500, 400));
        tavil::TSplash splash(picture, QStringLiteral("Version 0.3.0 Build 52"), QStringLiteral("(c) Quillomere"),
                              QStringLiteral("Beta 3"));
        QCOMPARE(splash.size(), QSize(500, 400));
        QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        splash.ShowAndPaint();
        const QImage shot = splash.grab().toImage();
        // The copyright line is drawn in grey somewhere on the picture.
        bool grey = false;
        for (int y = 320; y < 338 && !grey; ++y)
            for (int x = 30; x < 200 && !grey; ++x) grey = shot.pixelColor(x, y) == QColor(128, 128, 128);
        QVERIFY(grey);
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
