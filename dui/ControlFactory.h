#pragma once
// ControlFactory: markup element name -> creator of a control, and style
// type -> creator of a style. Names match exactly (case-sensitive).

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace nelvo {

class Control;
class Style;

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

    // Registers every element name and style type of the markup vocabulary.
    void registerDefaults();

    // Adds or replaces the creator of an element name / style type.
    void registerControl(std::u16string_view element, std::unique_ptr<duiFactory::Creator<Control>> creator);
    void registerStyle(std::u16string_view type, std::unique_ptr<duiFactory::Creator<Style>> creator);

    template <typename T>
    void registerControl(std::u16string_view element) {
        registerControl(element, std::make_unique<duiFactory::Creator_<Control, T>>());
    }
    template <typename T>
    void registerStyle(std::u16string_view type) {
        registerStyle(type, std::make_unique<duiFactory::Creator_<Style, T>>());
    }

    // A new control for the element name; null for an unknown name (or the
    // empty name of a text node). The caller owns the result.
    Control* createControl(std::u16string_view element) const;
    // A new style for the type; null for an unknown type (the skin cache
    // then makes a plain Style).
    Style* createStyle(std::u16string_view type) const;

    size_t controlCount() const { return controls_.size(); }
    size_t styleCount() const { return styles_.size(); }

private:
    std::map<std::u16string, std::unique_ptr<duiFactory::Creator<Control>>, std::less<>> controls_;
    std::map<std::u16string, std::unique_ptr<duiFactory::Creator<Style>>, std::less<>> styles_;
};

} // namespace nelvo
