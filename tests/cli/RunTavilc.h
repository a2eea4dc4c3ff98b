// Runs tavilc (beside the test executable) as a separate process and collects what it wrote.
#pragma once

#include <QByteArray>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace clitest {

struct Result {
    int exitCode = -1;  // -1 when it could not be started, crashed or did not end
    QString out;
    QString err;
};

inline QString executableFolder()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

// configHome becomes XDG_CONFIG_HOME of the process; input is its standard input.
inline Result tavilc(const QString& configHome, const QStringList& arguments, const QString& folder = QString(),
                     const QByteArray& input = {})
{
    QProcess p;
    p.setProgram(executableFolder() + QStringLiteral("/tavilc"));
    p.setArguments(arguments);
    if (!folder.isEmpty()) p.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    p.setProcessEnvironment(env);
    p.start();
    if (!p.waitForStarted()) return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    Result r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

}  // namespace clitest
