#include "dui/Markup.h"

#include "base/TextConvert.h"
#include "dui/ControlFactory.h"
#include "dui/Panel.h"
#include "dui/SetterRegistry.h"
#include "dui/UiContext.h"

#include <new>

namespace nelvo {
namespace {

uint32_t stateBitFor(std::u16string_view name) {
    if (name == u"visible") return ControlFlag::Visible;
    if (name == u"enabled") return ControlFlag::Enabled;
    if (name == u"transparent") return ControlFlag::HitTransparent;
    return 0;
}

} // namespace

void applyAttributes(const SetterRegistry& setters, Object& object, const XmlNode& element) {
    for (const XmlAttribute* a = element.first_attribute(); a; a = a->next_attribute()) {
        const std::u16string name = nameOf(*a);
        if (const duiField::ISetter* setter = setters.find(name)) {
            setter->set(object, valueOf(*a));
        } else if (const uint32_t bit = stateBitFor(name)) {
            if (auto* control = dynamic_cast<Control*>(&object)) control->setFlag(bit, valueOf(*a) == u"1");
        }
    }
}

ControlPtr buildControl(const ControlFactory& factory, const SetterRegistry& setters, const XmlNode& element) {
    const std::u16string name = nameOf(element);
    ControlPtr control(factory.createControl(name));
    if (!control) return nullptr;
    applyAttributes(setters, *control, element);

    if (const ChildRule rule = factory.childRule(name); rule.adopt) {
        for (const XmlNode* child = element.first_node(); child; child = child->next_sibling()) {
            if (ControlPtr built = buildControl(factory, setters, *child)) rule.adopt(*control, std::move(built));
            if (rule.firstChildOnly) break;
        }
    } else if (Panel* panel = control->asPanel()) {
        for (const XmlNode* child = element.first_node(); child; child = child->next_sibling())
            if (ControlPtr built = buildControl(factory, setters, *child)) panel->addChild(std::move(built));
    }
    return control;
}

ControlPtr loadMarkup(const UiContext& context, std::string_view utf8, std::string* error) {
    try {
        XmlDocument document;
        if (!document.parse(utf8, error)) return nullptr;
        const XmlNode* root = document.firstNode();
        if (!root) {
            if (error) *error = "no root element";
            return nullptr;
        }
        ControlPtr tree = buildControl(context.factory(), context.setters(), *root);
        if (!tree && error) *error = "the root element " + utf16ToUtf8(nameOf(*root)) + " is not a control";
        return tree;
    } catch (const std::bad_alloc&) {
        if (error) *error = "out of memory";
        return nullptr;
    }
}

ControlPtr loadLayout(const UiContext& context, std::u16string_view member, std::string* error) {
    HeapBlock bytes = context.layouts().member(member);
    if (!bytes) {
        if (error) *error = "the layout package has no member " + utf16ToUtf8(member);
        return nullptr;
    }
    return loadMarkup(context, bytes.text(), error);
}

ControlPtr loadLayout(std::u16string_view member, std::string* error) {
    if (const UiContext* context = UiContext::current()) return loadLayout(*context, member, error);
    if (error) *error = "the UI framework is not running";
    return nullptr;
}

} // namespace nelvo
