// Loading and saving the user preferences: one table names each stored value and its field, so
// that reading and writing mirror each other.
#include "app/shell/core/TVELKOptions.h"

#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"

#include <variant>

namespace tavil {

namespace {

using Member = std::variant<bool TVELKOptions::*, int TVELKOptions::*, QString TVELKOptions::*>;

struct Entry {
    const char* name;
    Member member;
};

// Load and save order. ShowTips comes last although it is declared fourth.
const Entry kEntries[] = {
    {"SaveWindow", &TVELKOptions::SaveWindow},
    {"PreventMultiple", &TVELKOptions::PreventMultiple},
    {"PromptOnClose", &TVELKOptions::PromptOnClose},
    {"MaxMRU", &TVELKOptions::MaxMRU},
    {"LoginTimeout", &TVELKOptions::LoginTimeout},
    {"QueryTimeout", &TVELKOptions::QueryTimeout},
    {"BlockingTimeout", &TVELKOptions::BlockingTimeout},
    {"NetPacketSize", &TVELKOptions::NetPacketSize},
    {"DefaultScriptsPath", &TVELKOptions::DefaultScriptsPath},
    {"ScriptExtension", &TVELKOptions::ScriptExtension},
    {"EditorFontName", &TVELKOptions::EditorFontName},
    {"EditorFontSize", &TVELKOptions::EditorFontSize},
    {"ShowTips", &TVELKOptions::ShowTips},
};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

QString TVELKOptions::RegistryKey() { return QMApp().AppKey + QStringLiteral("\\Options"); }

const QStringList& TVELKOptions::ValueNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Entry& e : kEntries) list << QString::fromLatin1(e.name);
        return list;
    }();
    return names;
}

void TVELKOptions::Load()
{
    const auto root = QMApp().RegistryRoot;
    const QString key = RegistryKey();
    for (const Entry& e : kEntries) {
        const QString name = QString::fromLatin1(e.name);
        std::visit(Overloaded{
                       [&](bool TVELKOptions::*m) { this->*m = RegReadBool(root, key, name, this->*m); },
                       [&](int TVELKOptions::*m) { this->*m = RegReadInteger(root, key, name, this->*m); },
                       [&](QString TVELKOptions::*m) { this->*m = RegReadString(root, key, name, this->*m); },
                   },
                   e.member);
    }
}

void TVELKOptions::Save() const
{
    const auto root = QMApp().RegistryRoot;
    const QString key = RegistryKey();
    for (const Entry& e : kEntries) {
        const QString name = QString::fromLatin1(e.name);
        std::visit(Overloaded{
                       [&](bool TVELKOptions::*m) { RegWriteBool(root, key, name, this->*m); },
                       [&](int TVELKOptions::*m) { RegWriteInteger(root, key, name, this->*m); },
                       [&](QString TVELKOptions::*m) { RegWriteString(root, key, name, this->*m); },
                   },
                   e.member);
    }
}

TVELKOptions& VELKOptions()
{
    static TVELKOptions options;
    return options;
}

QString ScriptFileFilter(const QString& extension)
{
    return QStringLiteral("Script Files (*.%1);;All Files (*)").arg(extension);
}

}  // namespace tavil
