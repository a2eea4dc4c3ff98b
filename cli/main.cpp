// tavilc: the program's headless front end. `tavilc <command> [arguments]`.
#include "cli/Commands.h"

#include "app/support/QMApplication.h"
#include "app/support/setup/QMComponentSetup.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace tavil::cli {

namespace {

QList<Command>& registry()
{
    static QList<Command> list;
    return list;
}

QString usage()
{
    QString text;
    QTextStream out(&text);
    out << "Usage: tavilc <command> [arguments]\n"
           "       tavilc --help | --version\n\n"
           "Headless front end of "
        << QMApp().FullName << ".\n\n";
    const QList<Command> list = commands();
    if (list.isEmpty()) {
        out << "No commands are built into this tavilc.\n";
    } else {
        out << "Commands:\n";
        int width = 0;
        for (const Command& c : list) width = std::max(width, int(qstrlen(c.name)));
        for (const Command& c : list)
            out << "  " << QString::fromUtf8(c.name).leftJustified(width + 2) << QString::fromUtf8(c.summary) << "\n";
        out << "\n\"tavilc <command> --help\" describes a command.\n";
    }
    out << "\nOptions:\n"
           "  -h, --help     show this text\n"
           "  -V, --version  show the program's name and version\n";
    return text;
}

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

bool registerCommand(const Command& command)
{
    registry().append(command);
    return true;
}

QList<Command> commands()
{
    QList<Command> list = registry();
    std::sort(list.begin(), list.end(), [](const Command& a, const Command& b) { return qstrcmp(a.name, b.name) < 0; });
    return list;
}

int run(const QStringList& arguments)
{
    if (arguments.isEmpty()) {
        print(stderr, usage());
        return kExitUsage;
    }
    const QString first = arguments.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        if (first == QLatin1String("help") && arguments.size() > 1) return run({arguments[1], QStringLiteral("--help")});
        print(stdout, usage());
        return kExitOk;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-V")) {
        print(stdout, QMApp().FullName + QLatin1Char(' ') + QMApp().Version + QLatin1Char('\n'));
        return kExitOk;
    }
    for (const Command& c : commands())
        if (first == QLatin1String(c.name)) return c.run(arguments.mid(1));
    print(stderr, QStringLiteral("tavilc: unknown command \"%1\"\n\n").arg(first) + usage());
    return kExitUsage;
}

}  // namespace tavil::cli

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavilc"));
    // An installed tavilc registers the scripting component for this user on first use.
    tavil::EnsureComponentRegistered();
    return tavil::cli::run(QCoreApplication::arguments().mid(1));
}
