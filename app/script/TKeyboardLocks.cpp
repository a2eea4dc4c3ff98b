// Keyboard lock state through the X keyboard extension: the indicators named "Caps Lock" and
// "Num Lock", looked up once per display, then read with one request per call.
#include "app/script/TKeyboardLocks.h"

#include <QGuiApplication>

#ifdef TAVIL_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
// After Qt: the X headers define macros (None, Bool, KeyPress ...) that Qt's names would clash with.
#include <X11/XKBlib.h>
#endif

namespace tavil {

#ifdef TAVIL_HAVE_X11
namespace {

struct TIndicators {
    Display* display = nullptr;
    int caps = -1;  // indicator index, -1 when the keymap has no such indicator
    int num = -1;
    bool usable = false;
};

int indicatorIndex(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == 0) return -1;
    int index = -1;
    if (!XkbGetNamedIndicator(display, atom, &index, nullptr, nullptr, nullptr)) return -1;
    return index;
}

}  // namespace

TKeyboardLocks ReadKeyboardLocks()
{
    static TIndicators indicators;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return {};
    if (indicators.display != display) {
        indicators = TIndicators{};
        indicators.display = display;
        int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
        if (XkbQueryExtension(display, &opcode, &event, &error, &major, &minor)) {
            indicators.caps = indicatorIndex(display, "Caps Lock");
            indicators.num = indicatorIndex(display, "Num Lock");
            indicators.usable = indicators.caps >= 0 || indicators.num >= 0;
        }
    }
    if (!indicators.usable) return {};
    unsigned int state = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success) return {};
    TKeyboardLocks locks;
    locks.Known = true;
    locks.CapsLock = indicators.caps >= 0 && (state & (1u << indicators.caps));
    locks.NumLock = indicators.num >= 0 && (state & (1u << indicators.num));
    return locks;
}
#else
TKeyboardLocks ReadKeyboardLocks() { return {}; }
#endif

}  // namespace tavil
