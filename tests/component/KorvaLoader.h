// Loads libkorva.so (beside the test executable) with dlopen, as the program does, and gives
// small helpers over its entry points.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "component/KorvaInterface.h"

namespace korvatest {

inline std::string executableFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string s(path, static_cast<std::size_t>(n));
    return s.substr(0, s.rfind('/'));
}

struct Library {
    void* handle = nullptr;
    korva::CreateObjectFn createObject = nullptr;
    korva::GetErrorInfoFn getErrorInfo = nullptr;
    korva::CanUnloadNowFn canUnloadNow = nullptr;
    korva::RegisterServerFn registerServer = nullptr;
    korva::UnregisterServerFn unregisterServer = nullptr;
    std::string path;
};

inline const Library& library() {
    static Library lib = [] {
        Library l;
        l.path = executableFolder() + "/" + korva::kLibraryName;
        l.handle = dlopen(l.path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!l.handle) {
            ADD_FAILURE() << "dlopen " << l.path << ": " << dlerror();
            return l;
        }
        l.createObject = reinterpret_cast<korva::CreateObjectFn>(dlsym(l.handle, korva::kCreateObject));
        l.getErrorInfo = reinterpret_cast<korva::GetErrorInfoFn>(dlsym(l.handle, korva::kGetErrorInfo));
        l.canUnloadNow = reinterpret_cast<korva::CanUnloadNowFn>(dlsym(l.handle, korva::kCanUnloadNow));
        l.registerServer = reinterpret_cast<korva::RegisterServerFn>(dlsym(l.handle, korva::kRegisterServer));
        l.unregisterServer = reinterpret_cast<korva::UnregisterServerFn>(dlsym(l.handle, korva::kUnregisterServer));
        return l;
    }();
    return lib;
}

// The error information of the last failed call.
inline korva::ErrorInfo lastError() {
    korva::ErrorInfo info;
    EXPECT_EQ(library().getErrorInfo(&info), korva::status::Ok) << "no error information";
    return info;
}

inline std::string narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

inline std::string utf8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

inline std::u16string u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// A Scripter, released at the end of the scope.
class Scripter {
public:
    Scripter() {
        void* object = nullptr;
        korva::HResult hr = library().createObject(&korva::ids::CLSID_Scripter, &korva::ids::IID_Scripter, &object);
        EXPECT_EQ(hr, korva::status::Ok);
        p_ = static_cast<korva::IScripter*>(object);
    }
    ~Scripter() {
        if (p_) p_->Release();
    }
    Scripter(const Scripter&) = delete;
    Scripter& operator=(const Scripter&) = delete;
    korva::IScripter* operator->() const { return p_; }
    korva::IScripter* get() const { return p_; }

    korva::ISettings* settings() const { korva::ISettings* o = nullptr; p_->get_Settings(&o); return o; }
    korva::IConnection* connection() const { korva::IConnection* o = nullptr; p_->get_Connection(&o); return o; }
    korva::ITableOptions* tableOptions() const { korva::ITableOptions* o = nullptr; p_->get_TableOptions(&o); return o; }
    korva::IFormatOptions* formatOptions() const { korva::IFormatOptions* o = nullptr; p_->get_FormatOptions(&o); return o; }
    korva::IAdvancedOptions* advancedOptions() const {
        korva::IAdvancedOptions* o = nullptr;
        p_->get_AdvancedOptions(&o);
        return o;
    }
    korva::IDependencies* dependencies() const { korva::IDependencies* o = nullptr; p_->get_Dependencies(&o); return o; }

private:
    korva::IScripter* p_ = nullptr;
};

// Records the events in the order they arrive.
class RecordingSink final : public korva::IScripterEvents {
public:
    struct Event {
        int id;  // dispatch id: 1 percent, 2 message
        std::int32_t percent;
        std::string message;
    };
    korva::HResult ScriptTransferPercentComplete(std::int32_t* Percent) override {
        events.push_back({1, *Percent, {}});
        *Percent = -999;  // the component must not care
        return korva::status::Fail;
    }
    korva::HResult ScriptTransferMessage(std::u16string* Message) override {
        events.push_back({2, 0, utf8(*Message)});
        Message->clear();
        return korva::status::Ok;
    }
    std::vector<std::int32_t> percents() const {
        std::vector<std::int32_t> p;
        for (const Event& e : events)
            if (e.id == 1) p.push_back(e.percent);
        return p;
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> m;
        for (const Event& e : events)
            if (e.id == 2) m.push_back(e.message);
        return m;
    }
    std::vector<Event> events;
};

// Advises a sink for the life of the object.
class Advised {
public:
    Advised(const Scripter& scripter, korva::IScripterEvents* sink) {
        void* source = nullptr;
        EXPECT_EQ(scripter->QueryInterface(korva::ids::IID_ConnectionPoint, &source), korva::status::Ok);
        source_ = static_cast<korva::IScripterEventSource*>(source);
        EXPECT_EQ(source_->Advise(sink, &cookie_), korva::status::Ok);
    }
    ~Advised() {
        source_->Unadvise(cookie_);
        source_->Release();
    }
    Advised(const Advised&) = delete;
    Advised& operator=(const Advised&) = delete;

private:
    korva::IScripterEventSource* source_ = nullptr;
    std::uint32_t cookie_ = 0;
};

}  // namespace korvatest
