#include "script/LuaControl.h"

#include "base/TextConvert.h"
#include "dui/Control.h"
#include "dui/controls/Edit.h"
#include "dui/controls/PowerPoint.h"
#include "dui/controls/ProgressBar.h"
#include "dui/controls/TextBox.h"
#include "dui/ControlWindow.h"
#include "dui/Panel.h"
#include "dui/WindowImpl.h"
#include "script/BridgeBoundary.h"
#include "script/LuaBridge.h"
#include "script/LuaConvert.h"

#include <iterator>
#include <string_view>

namespace nelvo {

namespace {

using bridge::controlOfSelf;
using bridge::pushControl;

// Every method starts here: the receiver's control, or return nothing.
#define NELVO_SELF(control)                     \
    Control* control = controlOfSelf(L, 1);     \
    if (!control) return 0

// getWindow() -> window object or nil
int getWindow(lua_State* L) {
    NELVO_SELF(control);
    ControlWindow* window = control->window();
    bridge::pushWindow(L, window ? WindowImpl::fromHandle(window->nativeHandle()) : nullptr);
    return 1;
}

// getParent() -> control object or nil
int getParent(lua_State* L) {
    NELVO_SELF(control);
    pushControl(L, control->parent());
    return 1;
}

// getPrevious() -> control object or nil
int getPrevious(lua_State* L) {
    NELVO_SELF(control);
    pushControl(L, control->previousSibling());
    return 1;
}

// getNext() -> control object or nil
int getNext(lua_State* L) {
    NELVO_SELF(control);
    pushControl(L, control->nextSibling());
    return 1;
}

// getEnabled() -> boolean
int getEnabled(lua_State* L) {
    NELVO_SELF(control);
    lua_pushboolean(L, control->enabled());
    return 1;
}

// A flag that, cleared, takes the focus, capture and hover with it.
int setStateFlag(lua_State* L, uint32_t flag) {
    NELVO_SELF(control);
    const bool on = lua_toboolean(L, 2) != 0;
    if (control->hasFlag(flag) == on) return 0;
    control->setFlag(flag, on);
    if (!on)
        if (ControlWindow* window = control->window()) window->forget(*control);
    control->invalidate(false);
    return 0;
}

// setEnabled(flag)
int setEnabled(lua_State* L) { return setStateFlag(L, ControlFlag::Enabled); }
// setVisible(flag)
int setVisible(lua_State* L) { return setStateFlag(L, ControlFlag::Visible); }

// getVisible() -> boolean
int getVisible(lua_State* L) {
    NELVO_SELF(control);
    lua_pushboolean(L, control->visible());
    return 1;
}

// setFocus()
int setFocus(lua_State* L) {
    NELVO_SELF(control);
    if (ControlWindow* window = control->window()) window->setFocus(control);
    return 0;
}

// setStyle(name): a new attribute goes to the front of the list.
int setStyle(lua_State* L) {
    NELVO_SELF(control);
    control->setText(attr::style, argText(L, 2));
    control->invalidate(false);
    return 0;
}

// repaint()
int repaint(lua_State* L) {
    NELVO_SELF(control);
    control->invalidate(false);
    return 0;
}

// Calls lua_addHandler or lua_removeHandler with (dispatcher, code, func),
// the code as the integer the native side uses; true when the script says
// the native delegate must come or go.
bool changeHandlerList(lua_State* L, const char* name, int32_t code) {
    const int top = lua_gettop(L);
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 3);
    bool result = false;
    // 1: the control object, 2: the function.
    const bool answered = bridge::protectedEntry(L, 2, 1, [name, code](lua_State* S) {
        lua_pushvalue(S, 1);
        bridge::callBootstrap(S, "lua_queryControlDispatcher", bridge::kControls, 1, 1);
        pushInteger(S, code);
        lua_pushvalue(S, 2);
        bridge::callBootstrap(S, name, nullptr, 3, 1);
        return 1;
    });
    if (answered) result = lua_toboolean(L, -1) != 0;
    lua_settop(L, top);
    return result;
}

// addHandler(code, func): one native delegate per code, shared by every
// function attached for it.
int addHandler(lua_State* L) {
    NELVO_SELF(control);
    const int32_t code = argInteger(L, 2);
    if (changeHandlerList(L, "lua_addHandler", code)) {
        if (!control->addHandler(code, control, &bridge::deliverEvent))
            OutputDebugStringW(L"addHandler: the delegate pool is exhausted\n");
    }
    return 0;
}

// removeHandler(code, func)
int removeHandler(lua_State* L) {
    NELVO_SELF(control);
    const int32_t code = argInteger(L, 2);
    if (changeHandlerList(L, "lua_removeHandler", code))
        control->removeHandler(code, control, &bridge::deliverEvent);
    return 0;
}

// getName() -> type name, or "nil" for a dead receiver
int getName(lua_State* L) {
    Control* control = controlOfSelf(L, 1);
    if (!control) {
        lua_pushliteral(L, "nil");
        return 1;
    }
    pushText(L, control->typeName());
    return 1;
}

// setText(text)
int setText(lua_State* L) {
    NELVO_SELF(control);
    control->setText(attr::text, argText(L, 2));
    control->invalidate(false);
    control->accessibleChanged(access::Change::Name);
    return 0;
}

// getText() -> text
int getText(lua_State* L) {
    NELVO_SELF(control);
    const std::u16string* text = control->findText(attr::text);
    pushText(L, text ? std::u16string_view(*text) : std::u16string_view());
    return 1;
}

// setToolTip(text)
int setToolTip(lua_State* L) {
    NELVO_SELF(control);
    control->setText(attr::tooltip, argText(L, 2));
    return 0;
}

// --- "Panel" ---

// getFirstChild() -> control object or nil
int getFirstChild(lua_State* L) {
    NELVO_SELF(control);
    const Panel* panel = control->asPanel();
    pushControl(L, panel ? panel->firstChild() : nullptr);
    return 1;
}

// getLastChild() -> control object or nil
int getLastChild(lua_State* L) {
    NELVO_SELF(control);
    const Panel* panel = control->asPanel();
    pushControl(L, panel ? panel->lastChild() : nullptr);
    return 1;
}

// getChild(index) -> control object or nil; 0 and below give the first.
int getChildAt(lua_State* L) {
    NELVO_SELF(control);
    const Panel* panel = control->asPanel();
    Control* child = panel ? panel->firstChild() : nullptr;
    for (int32_t i = argInteger(L, 2); child && i > 0; --i) child = child->nextSibling();
    pushControl(L, child);
    return 1;
}

// --- "Button" ---

// setCheck(flag)
int setCheck(lua_State* L) {
    NELVO_SELF(control);
    control->setChecked(lua_toboolean(L, 2) != 0);
    return 0;
}

// getCheck() -> boolean
int getCheck(lua_State* L) {
    NELVO_SELF(control);
    lua_pushboolean(L, control->checked());
    return 1;
}

// --- "Edit", "TextBox" ---

template <typename T>
T* controlAs(lua_State* L) {
    return dynamic_cast<T*>(controlOfSelf(L, 1));
}

// setText(text) on the editor
int editSetText(lua_State* L) {
    Edit* edit = controlAs<Edit>(L);
    if (!edit) return 0;
    edit->setText(argText(L, 2));
    edit->invalidate(false);
    return 0;
}

// getText() -> the editor's text
int editGetText(lua_State* L) {
    Edit* edit = controlAs<Edit>(L);
    if (!edit) return 0;
    pushText(L, edit->getText());
    return 1;
}

// setText(text) on the text box (its own operation raises ValueChange)
int textBoxSetText(lua_State* L) {
    TextBox* box = controlAs<TextBox>(L);
    if (!box) return 0;
    box->setText(argText(L, 2));
    return 0;
}

// getText() -> the text box's text
int textBoxGetText(lua_State* L) {
    TextBox* box = controlAs<TextBox>(L);
    if (!box) return 0;
    pushText(L, box->getText());
    return 1;
}

// --- "PowerPoint" ---

// playStart()
int playStart(lua_State* L) {
    if (PowerPoint* show = controlAs<PowerPoint>(L)) show->playStart();
    return 0;
}

// playStop()
int playStop(lua_State* L) {
    if (PowerPoint* show = controlAs<PowerPoint>(L)) show->playStop();
    return 0;
}

// --- "ProgressBar" ---

// setRange(range)
int setRange(lua_State* L) {
    if (ProgressBar* bar = controlAs<ProgressBar>(L)) bar->setRange(argInteger(L, 2));
    return 0;
}

// setPosition(position): no more than the range, no lower bound.
int setPosition(lua_State* L) {
    if (ProgressBar* bar = controlAs<ProgressBar>(L)) bar->setPosition(argInteger(L, 2));
    return 0;
}

#undef NELVO_SELF

struct Method {
    const char* name;
    lua_CFunction function;
};

#define NELVO_METHOD(name, function) {name, bridgeBoundary<function>}

// In the order the table gets them.
constexpr Method kCommonMethods[] = {
    NELVO_METHOD("getWindow", getWindow),     NELVO_METHOD("getParent", getParent),
    NELVO_METHOD("getPrevious", getPrevious), NELVO_METHOD("getNext", getNext),
    NELVO_METHOD("getEnabled", getEnabled),   NELVO_METHOD("setEnabled", setEnabled),
    NELVO_METHOD("setVisible", setVisible),   NELVO_METHOD("getVisible", getVisible),
    NELVO_METHOD("setFocus", setFocus),       NELVO_METHOD("setStyle", setStyle),
    NELVO_METHOD("repaint", repaint),         NELVO_METHOD("addHandler", addHandler),
    NELVO_METHOD("removeHandler", removeHandler), NELVO_METHOD("getName", getName),
    NELVO_METHOD("setText", setText),         NELVO_METHOD("getText", getText),
    NELVO_METHOD("setToolTip", setToolTip),
};
static_assert(std::size(kCommonMethods) == 17);

constexpr Method kPanelMethods[] = {
    NELVO_METHOD("getFirstChild", getFirstChild),
    NELVO_METHOD("getLastChild", getLastChild),
    NELVO_METHOD("getChild", getChildAt),
};
constexpr Method kButtonMethods[] = {NELVO_METHOD("setCheck", setCheck), NELVO_METHOD("getCheck", getCheck)};
constexpr Method kEditMethods[] = {NELVO_METHOD("setText", editSetText), NELVO_METHOD("getText", editGetText)};
constexpr Method kTextBoxMethods[] = {NELVO_METHOD("setText", textBoxSetText),
                                      NELVO_METHOD("getText", textBoxGetText)};
constexpr Method kPowerPointMethods[] = {NELVO_METHOD("playStart", playStart), NELVO_METHOD("playStop", playStop)};
constexpr Method kProgressBarMethods[] = {NELVO_METHOD("setRange", setRange),
                                          NELVO_METHOD("setPosition", setPosition)};

#undef NELVO_METHOD

struct TypeMethods {
    std::u16string_view typeName;
    const Method* first;
    const Method* last;
};

template <size_t N>
constexpr TypeMethods extras(std::u16string_view typeName, const Method (&methods)[N]) {
    return {typeName, methods, methods + N};
}

constexpr TypeMethods kExtraMethods[] = {
    extras(u"Panel", kPanelMethods),           extras(u"Button", kButtonMethods),
    extras(u"Edit", kEditMethods),             extras(u"TextBox", kTextBoxMethods),
    extras(u"PowerPoint", kPowerPointMethods), extras(u"ProgressBar", kProgressBarMethods),
};

void setMethods(lua_State* L, const Method* first, const Method* last) {
    for (; first != last; ++first) {
        lua_pushcfunction(L, first->function);
        lua_setfield(L, -2, first->name);
    }
}

} // namespace

void pushNewControlObject(lua_State* L, Control& control) {
    lua_createtable(L, 0, static_cast<int>(std::size(kCommonMethods)) + 3);
    setMethods(L, std::begin(kCommonMethods), std::end(kCommonMethods));
    const std::u16string_view type = control.typeName();
    for (const TypeMethods& t : kExtraMethods)
        if (t.typeName == type) setMethods(L, t.first, t.last);
}

} // namespace nelvo
