#pragma once
// ControlFactory: markup element name -> creator of a control (with the
// control's own rule for its child elements, if any), and style type ->
// creator of a style. Names match exactly (case-sensitive).
//
// The framework core registers only what lives beside it (the root, the
// layout panels, the core styles); the concrete controls register
// themselves through registerShippedControls.

#include "dui/Control.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace nelvo {

class Style;

// What markup does with the child elements of a control whose registration
// has a rule, in place of the default (a Panel adds every child it can
// build; any other control ignores its children).
struct ChildRule {
    // Hands a built child to the control, which owns it from then on.
    // Null: the default applies.
    void (*adopt)(Control& control, ControlPtr child) = nullptr;
    // Only the first child node is built at all; the others are skipped
    // with their subtrees.
    bool firstChildOnly = false;
};

namespace duiFactory {

template <typename Base>
class Creator {
public:
    virtual ~Creator() = default;
    // A new object of the creator's class, made with its default constructor.
    virtual Base* create() const = 0;
};

template <typename Base, typename T>
class Creator_ final : public Creator<Base> {
public:
    Base* create() const override { return new T(); }
};

} // namespace duiFactory

class ControlFactory {
public:
    ControlFactory() = default;
    ControlFactory(const ControlFactory&) = delete;
    ControlFactory& operator=(const ControlFactory&) = delete;

    // Registers what the framework core itself provides: the elements
    // Window (the root of every window, a Grid), Grid, Canvas, StackPanel and
    // DockPanel, and the style types Style, Background and Edit.
    void registerDefaults();

    // Adds or replaces the creator (and child rule) of an element name /
    // the creator of a style type.
    void registerControl(std::u16string_view element, std::unique_ptr<duiFactory::Creator<Control>> creator,
                         ChildRule rule = {});
    void registerStyle(std::u16string_view type, std::unique_ptr<duiFactory::Creator<Style>> creator);

    template <typename T>
    void registerControl(std::u16string_view element, ChildRule rule = {}) {
        registerControl(element, std::make_unique<duiFactory::Creator_<Control, T>>(), rule);
    }
    template <typename T>
    void registerStyle(std::u16string_view type) {
        registerStyle(type, std::make_unique<duiFactory::Creator_<Style, T>>());
    }

    // A new control for the element name; null for an unknown name (or the
    // empty name of a text node). The caller owns the result.
    Control* createControl(std::u16string_view element) const;
    // The child rule registered with the element name; the default rule
    // (null adopt) for an unknown name or a registration without one.
    ChildRule childRule(std::u16string_view element) const;
    // A new style for the type; null for an unknown type (the skin cache
    // then makes a plain Style).
    Style* createStyle(std::u16string_view type) const;

    size_t controlCount() const { return controls_.size(); }
    size_t styleCount() const { return styles_.size(); }

private:
    struct ControlEntry {
        std::unique_ptr<duiFactory::Creator<Control>> creator;
        ChildRule rule;
    };
    std::map<std::u16string, ControlEntry, std::less<>> controls_;
    std::map<std::u16string, std::unique_ptr<duiFactory::Creator<Style>>, std::less<>> styles_;
};

} // namespace nelvo
