// The external tools list: its stored form and launching.
#include "app/shell/tools/TExternalTools.h"

#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"
#include "app/support/QMShell.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace tavil {

QString TExternalTool::Joined() const
{
    const QChar bar = QLatin1Char('|');
    return Caption + bar + Command + bar + Parameters + bar + WorkingDir;
}

std::optional<TExternalTool> TExternalTool::Parse(const QString& value)
{
    const qsizetype first = value.indexOf(QLatin1Char('|'));
    const qsizetype second = first < 0 ? -1 : value.indexOf(QLatin1Char('|'), first + 1);
    const qsizetype third = second < 0 ? -1 : value.indexOf(QLatin1Char('|'), second + 1);
    if (third < 0) return std::nullopt;
    TExternalTool tool;
    tool.Caption = value.left(first);
    tool.Command = value.mid(first + 1, second - first - 1);
    tool.Parameters = value.mid(second + 1, third - second - 1);
    tool.WorkingDir = value.mid(third + 1);
    return tool;
}

platform::Hive TExternalTools::Root() const { return own_ ? root_ : QMApp().RegistryRoot; }

QString TExternalTools::Key() const { return own_ ? key_ : QMApp().AppKey + QStringLiteral("\\Tools"); }

void TExternalTools::Load()
{
    Items.clear();
    try {
        const platform::Hive root = Root();
        const QString key = Key();
        QStringList names;
        RegListValueNames(root, key, names);
        // "Tool10" comes after "Tool9": order by the number, not the text. Names without a
        // number sort after the numbered ones, in the order they were written.
        static const QRegularExpression numbered(QStringLiteral("^Tool(\\d{1,9})$"), QRegularExpression::CaseInsensitiveOption);
        auto number = [](const QString& name) {
            const QRegularExpressionMatch m = numbered.match(name);
            return m.hasMatch() ? m.captured(1).toLongLong() : std::numeric_limits<long long>::max();
        };
        std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return number(a) < number(b); });
        for (const QString& name : names) {
            if (auto tool = TExternalTool::Parse(RegReadString(root, key, name, QString()))) Items.append(*tool);
        }
    } catch (...) {
        // The list stays as far as it was read.
    }
}

void TExternalTools::Save() const
{
    try {
        const platform::Hive root = Root();
        const QString key = Key();
        TQMRegistryBatch batch(root);
        RegDeleteValues(root, key);
        for (int i = 0; i < Items.size(); ++i)
            RegWriteString(root, key, QStringLiteral("Tool") + QString::number(i), Items[i].Joined());
    } catch (...) {
    }
}

void LaunchCommand(const QString& command, const QString& parameters, const QString& folder, const QString& message,
                   const QString& shown)
{
    if (ShellOpen(command, parameters, folder) > 32) return;
    throw EQMException(message, EQMException::Warning,
                       QStringLiteral("Operating System raised an error executing the following command: '%1'.").arg(shown));
}

void TExternalTools::Launch(int index) const
{
    if (index < 0 || index >= Items.size()) return;
    const TExternalTool& tool = Items[index];
    LaunchCommand(tool.Command, tool.Parameters, tool.WorkingDir, QStringLiteral("Unable to open '%1'.").arg(tool.Command),
                  tool.Command);
}

TExternalTools& ExternalTools()
{
    static TExternalTools tools;
    return tools;
}

}  // namespace tavil
