#include "dui/ControlFactory.h"

#include "dui/Canvas.h"
#include "dui/DockPanel.h"
#include "dui/Grid.h"
#include "dui/StackPanel.h"
#include "dui/Style_Background.h"
#include "dui/Style_Edit.h"

namespace nelvo {

void ControlFactory::registerDefaults() {
    registerControl<Grid>(u"Window");  // the root of every window
    registerControl<Grid>(u"Grid");
    registerControl<Canvas>(u"Canvas");
    registerControl<StackPanel>(u"StackPanel");
    registerControl<DockPanel>(u"DockPanel");

    registerStyle<Style>(u"Style");
    registerStyle<Style_Background>(u"Background");
    registerStyle<Style_Edit>(u"Edit");
}

void ControlFactory::registerControl(std::u16string_view element,
                                     std::unique_ptr<duiFactory::Creator<Control>> creator, ChildRule rule) {
    controls_.insert_or_assign(std::u16string(element), ControlEntry{std::move(creator), rule});
}

void ControlFactory::registerStyle(std::u16string_view type, std::unique_ptr<duiFactory::Creator<Style>> creator) {
    styles_.insert_or_assign(std::u16string(type), std::move(creator));
}

Control* ControlFactory::createControl(std::u16string_view element) const {
    auto it = controls_.find(element);
    return it == controls_.end() ? nullptr : it->second.creator->create();
}

ChildRule ControlFactory::childRule(std::u16string_view element) const {
    auto it = controls_.find(element);
    return it == controls_.end() ? ChildRule{} : it->second.rule;
}

Style* ControlFactory::createStyle(std::u16string_view type) const {
    auto it = styles_.find(type);
    return it == styles_.end() ? nullptr : it->second->create();
}

} // namespace nelvo
