// A large generated script in the script window: opening, scrolling, typing, Find and the idle
// cost of the status timer, with a bare QPlainTextEdit loading the same file as the peer.
//   script_window_bench [--mb N] [--idle SECONDS]
#include "app/script/TChildScript.h"
#include "app/script/TScriptEditor.h"
#include "app/script/TScriptFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

// A script as the generator writes it: table definitions, then INSERT statements, CR LF.
void writeScript(const QString& path, qint64 bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QByteArray chunk;
    qint64 written = 0;
    int table = 0, row = 0;
    while (written < bytes) {
        if (row % 5000 == 0) {
            ++table;
            chunk += "/****** Object:  Table [dbo].[Orders" + QByteArray::number(table) + "] ******/\r\n";
            chunk += "CREATE TABLE [dbo].[Orders" + QByteArray::number(table) + "] (\r\n";
            chunk += "\t[OrderID] [int] IDENTITY (1, 1) NOT NULL ,\r\n\t[CustomerID] [nchar] (5) NULL ,\r\n";
            chunk += "\t[OrderDate] [datetime] NULL ,\r\n\t[ShipName] [nvarchar] (40) NULL \r\n) ON [PRIMARY]\r\nGO\r\n\r\n";
        }
        ++row;
        chunk += "INSERT INTO [dbo].[Orders" + QByteArray::number(table) + "] ([OrderID], [CustomerID], [OrderDate], "
                 "[ShipName]) VALUES (" + QByteArray::number(row) + ", N'ALFKI', '1997-08-25T00:00:00.000', N'Alfreds "
                 "Futterkiste')\r\n";
        if (row % 100 == 0) chunk += "GO\r\n";
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            written += chunk.size();
            chunk.clear();
        }
    }
    chunk += "-- end of script\r\n";
    f.write(chunk);
}

double since(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

void settle()
{
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// CPU share of the process over an idle period with the event loop running (a plain event loop:
// QTest::qWait would poll on its own).
double idleShare(double seconds)
{
    QElapsedTimer wall;
    const double cpu0 = cpuSeconds();
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuSeconds() - cpu0) / since(wall);
}

// Wall and CPU seconds of a step; the machine may be shared, so both are shown.
struct Clock {
    QElapsedTimer wall;
    double cpu0 = 0;
    Clock() { restart(); }
    void restart()
    {
        wall.start();
        cpu0 = cpuSeconds();
    }
    double cpu() const { return cpuSeconds() - cpu0; }
    double seconds() const { return double(wall.nsecsElapsed()) / 1e9; }
};

}  // namespace

int main(int argc, char** argv)
{
    int mb = 100;
    double idleSeconds = 5;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help")) {
            std::puts("usage: script_window_bench [--mb N] [--idle SECONDS]\n"
                      "Opens a generated script of N MB (default 100) in a script window and in a bare\n"
                      "QPlainTextEdit, then times scrolling, typing and Find, and measures the idle CPU share\n"
                      "of the status timer over SECONDS (default 5). Run it offscreen or under Xvfb.");
            return 0;
        }
        if (!std::strcmp(argv[i], "--mb") && i + 1 < argc) mb = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--idle") && i + 1 < argc) idleSeconds = std::atof(argv[++i]);
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.sql"));
    writeScript(path, qint64(mb) << 20);
    std::printf("script: %.1f MB, platform %s\n", double(QFile(path).size()) / (1 << 20),
                qPrintable(QGuiApplication::platformName()));

    // Peer: the same file into a bare editor of the same size.
    double peer = 0, peerCpu = 0;
    {
        Clock t;
        QPlainTextEdit bare;
        bare.resize(538, 288);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        bare.setPlainText(QString::fromUtf8(f.readAll()));
        bare.show();
        settle();
        peer = t.seconds();
        peerCpu = t.cpu();
    }

    // Where the opening time goes: reading and decoding, then the editor taking the text.
    {
        Clock step;
        const tavil::TScriptText text = tavil::ReadScriptFile(path);
        const double read = step.cpu();
        step.restart();
        QPlainTextEdit bare;
        bare.resize(538, 288);
        bare.setPlainText(text.Text);
        const double set = step.cpu();
        step.restart();
        bare.show();
        settle();
        std::printf("%-44s read+decode %.3f, setPlainText %.3f, show %.3f (CPU s)\n", "open, step by step", read, set,
                    step.cpu());
    }

    Clock c;
    std::unique_ptr<tavil::TChildScript> w(tavil::TChildScript::OpenScriptWindow(path));
    w->show();
    settle();
    const double open = c.seconds(), openCpu = c.cpu();
    tavil::TScriptEditor* e = w->Editor();
    std::printf("%-44s %8.3f s  (CPU %.3f s; bare QPlainTextEdit %.3f s, CPU %.3f s), %d lines, RSS %ld MiB\n",
                "open", open, openCpu, peer, peerCpu, e->document()->blockCount(), residentMiB());
    QElapsedTimer t;
    t.start();

    e->setFocus();
    t.restart();
    QTest::keyClick(e, Qt::Key_End, Qt::ControlModifier);
    settle();
    std::printf("%-44s %8.3f s\n", "Ctrl+End (to the last line)", since(t));

    double worst = 0;
    t.restart();
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer k;
        k.start();
        QTest::keyClick(e, Qt::Key_PageUp);
        settle();
        worst = std::max(worst, since(k));
    }
    std::printf("%-44s %8.3f s  (slowest %.4f s)\n", "50 x Page Up", since(t), worst);

    QScrollBar* bar = e->verticalScrollBar();
    t.restart();
    for (int i = 1; i <= 20; ++i) {
        bar->setValue(int(qint64(bar->maximum()) * i / 20));
        settle();
    }
    std::printf("%-44s %8.3f s\n", "scroll bar dragged in 20 steps", since(t));

    for (const char* where : {"middle", "start"}) {
        QTextCursor at(e->document());
        at.setPosition(!std::strcmp(where, "middle") ? e->document()->characterCount() / 2 : 0);
        e->setTextCursor(at);
        worst = 0;
        t.restart();
        for (int i = 0; i < 100; ++i) {
            QElapsedTimer k;
            k.start();
            QTest::keyClick(e, Qt::Key_A);
            settle();
            worst = std::max(worst, since(k));
        }
        std::printf("typing 100 keys at the %-21s %8.3f s  (slowest key %.4f s)\n", where, since(t), worst);
    }

    e->moveCursor(QTextCursor::Start);
    c.restart();
    const bool found = w->FindText(QStringLiteral("end of script"), false, false, true);
    std::printf("%-44s %8.3f s  (CPU %.3f s, %s)\n", "Find near the end", c.seconds(), c.cpu(),
                found ? "found" : "not found");
    e->moveCursor(QTextCursor::Start);
    c.restart();
    const bool missing = w->FindText(QStringLiteral("no such text"), true, true, false);
    std::printf("%-44s %8.3f s  (CPU %.3f s, %s)\n", "Find of a missing text (whole script)", c.seconds(), c.cpu(),
                missing ? "found" : "not found");

    t.restart();
    int line = 0, column = 0;
    for (int i = 0; i < 1000; ++i) w->UpdateStatus();
    w->CaretPosition(line, column);
    std::printf("%-44s %8.1f us\n", "one status update", since(t) * 1e3);

    settle();
    const double blinking = idleShare(idleSeconds);
    // The caret's blinking repaints the editor twice a second; without it only the status timer
    // is left.
    QApplication::setCursorFlashTime(0);
    e->setFocus();
    settle();
    const double withTimer = idleShare(idleSeconds);
    w->hide();
    const double withoutTimer = idleShare(idleSeconds);
    w->show();
    std::printf("%-44s %7.2f %%  (with the caret blinking %.2f %%; window hidden, timer stopped: %.2f %%)\n",
                "idle CPU, status timer", withTimer * 100, blinking * 100, withoutTimer * 100);
    return 0;
}
