// Helpers of the run tests: command files over snapshot fixtures and a sink that records a
// verification report.
#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <memory>
#include <vector>

#include "app/model/TCmdFile.h"
#include "app/runs/TVerification.h"
#include "tests/catalogue/CatalogueFixture.h"

namespace runtest {

// A command file on the server with the objects given as "owner.name", kind by kind.
inline std::unique_ptr<tavil::TCmdFile> commandFile(const QString& server, const QString& database,
                                                    std::initializer_list<std::pair<int, const char*>> objects = {})
{
    auto c = std::make_unique<tavil::TCmdFile>();
    c->Connection.ServerName = server;
    c->Connection.DatabaseName = database;
    c->Connection.WindowsAuthentication = true;
    for (const auto& [kind, name] : objects) {
        auto* o = new tavil::TDBObject;
        o->SetFullName(QString::fromUtf8(name));
        c->Objects(kind).Add(o);
    }
    return c;
}

class RecordingSink final : public tavil::TVerificationSink {
public:
    void AppendLine(const QString& text) override { lines.append(text); }
    void AppendToLine(const QString& text) override
    {
        if (lines.isEmpty()) lines.append(QString());
        lines.last() += text;
    }
    void Progress(int percent) override { progress.push_back(percent); }
    void Description(const QString& text) override { descriptions.append(text); }
    void ShowErrorMark() override { ++errorMarks; }

    QStringList lines;
    std::vector<int> progress;
    QStringList descriptions;
    int errorMarks = 0;
};

}  // namespace runtest
