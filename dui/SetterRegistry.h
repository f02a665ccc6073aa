#pragma once
// The attribute setters: markup attribute name -> the setter that parses the
// value text and stores it under the interned name. Used for control
// attributes and for the properties of style files.

#include "dui/AttributeNames.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace nelvo {

class Object;

namespace duiField {

class ISetter {
public:
    explicit ISetter(PropertyKey key) : key_(key) {}
    virtual ~ISetter() = default;
    PropertyKey key() const { return key_; }
    // Parses `value` and stores it into `object` under key(). Never fails:
    // what cannot be parsed is stored as 0 (or as no keyword).
    virtual void set(Object& object, std::u16string_view value) const = 0;

private:
    PropertyKey key_;
};

// A decimal integer as "%d" reads it: leading white space and a sign
// allowed, trailing text ignored; no digits give 0.
class IntSetter final : public ISetter {
public:
    using ISetter::ISetter;
    void set(Object& object, std::u16string_view value) const override;
};

// The text unchanged.
class TextSetter final : public ISetter {
public:
    using ISetter::ISetter;
    void set(Object& object, std::u16string_view value) const override;
};

// "%d,%d,%d,%d": left, top, right, bottom; numbers that cannot be read are 0.
class RectSetter final : public ISetter {
public:
    using ISetter::ISetter;
    void set(Object& object, std::u16string_view value) const override;
};

// "%d,%d": cx, cy; numbers that cannot be read are 0.
class SizeSetter final : public ISetter {
public:
    using ISetter::ISetter;
    void set(Object& object, std::u16string_view value) const override;
};

// "#rrggbb" -> 0xrrggbb: the pairs at positions 2-3, 4-5 and 6-7 become bits
// 16-23, 8-15 and 0-7. The first character is not examined; a character
// that is not a hexadecimal digit, or is missing, counts as 0.
class ColorSetter final : public ISetter {
public:
    using ISetter::ISetter;
    void set(Object& object, std::u16string_view value) const override;
};

// One of the keywords, stored as its identity; anything else stores 0.
class EnumSetter final : public ISetter {
public:
    using ISetter::ISetter;
    void set(Object& object, std::u16string_view value) const override;
};

// The value parsers, shared with readers that parse the same forms.
int32_t parseInt(std::u16string_view text);
int32_t parseColor(std::u16string_view text);

} // namespace duiField

class SetterRegistry {
public:
    SetterRegistry() = default;
    SetterRegistry(const SetterRegistry&) = delete;
    SetterRegistry& operator=(const SetterRegistry&) = delete;

    // Registers the whole attribute table, in its order.
    void registerDefaults();

    // Adds a setter for the markup name key() (the key's text). A second
    // registration of a name replaces the first.
    void add(std::unique_ptr<duiField::ISetter> setter);
    template <typename S>
    void add(PropertyKey key) {
        add(std::make_unique<S>(key));
    }

    // The setter for an attribute name (exact match), or null.
    const duiField::ISetter* find(std::u16string_view name) const;

    // Attribute names in registration order.
    const std::vector<PropertyKey>& registrationOrder() const { return order_; }
    size_t size() const { return setters_.size(); }

private:
    std::map<std::u16string, std::unique_ptr<duiField::ISetter>, std::less<>> setters_;
    std::vector<PropertyKey> order_;
};

} // namespace nelvo
