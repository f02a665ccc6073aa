#include "dui/SetterRegistry.h"

#include "dui/Keyword.h"
#include "dui/Object.h"

namespace nelvo {
namespace duiField {
namespace {

// Reads the fields of a scanf-like "%d,%d,..." format one at a time and stops
// for good at the first mismatch, as scanf does; later fields stay 0.
class NumberReader {
public:
    explicit NumberReader(std::u16string_view text) : text_(text) {}

    // "%d": white space, an optional sign, at least one digit. Values beyond
    // 32 bits wrap around, as the system's reader does.
    int32_t next() {
        if (failed_) return 0;
        while (pos_ < text_.size() && isSpace(text_[pos_])) ++pos_;
        bool negative = false;
        if (pos_ < text_.size() && (text_[pos_] == u'-' || text_[pos_] == u'+')) {
            negative = text_[pos_] == u'-';
            ++pos_;
        }
        uint32_t value = 0;
        size_t digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= u'0' && text_[pos_] <= u'9') {
            value = value * 10u + static_cast<uint32_t>(text_[pos_] - u'0');
            ++pos_;
            ++digits;
        }
        if (digits == 0) {
            failed_ = true;
            return 0;
        }
        return static_cast<int32_t>(negative ? 0u - value : value);
    }

    // A literal character of the format: must come next, without white space.
    void expect(char16_t c) {
        if (failed_) return;
        if (pos_ < text_.size() && text_[pos_] == c)
            ++pos_;
        else
            failed_ = true;
    }

private:
    static bool isSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

    std::u16string_view text_;
    size_t pos_ = 0;
    bool failed_ = false;
};

int32_t hexDigit(std::u16string_view text, size_t index) {
    if (index >= text.size()) return 0;
    const char16_t c = text[index];
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 0;
}

} // namespace

int32_t parseInt(std::u16string_view text) { return NumberReader(text).next(); }

int32_t parseColor(std::u16string_view text) {
    int32_t value = 0;
    for (size_t i = 1; i <= 6; ++i) value = (value << 4) | hexDigit(text, i);
    return value;
}

void IntSetter::set(Object& object, std::u16string_view value) const { object.setInt(key(), parseInt(value)); }

void TextSetter::set(Object& object, std::u16string_view value) const { object.setText(key(), value); }

void RectSetter::set(Object& object, std::u16string_view value) const {
    NumberReader r(value);
    Rect rect;
    rect.left = r.next();
    r.expect(u',');
    rect.top = r.next();
    r.expect(u',');
    rect.right = r.next();
    r.expect(u',');
    rect.bottom = r.next();
    object.setRect(key(), rect);
}

void SizeSetter::set(Object& object, std::u16string_view value) const {
    NumberReader r(value);
    Size size;
    size.cx = r.next();
    r.expect(u',');
    size.cy = r.next();
    object.setSize(key(), size);
}

void ColorSetter::set(Object& object, std::u16string_view value) const { object.setInt(key(), parseColor(value)); }

void EnumSetter::set(Object& object, std::u16string_view value) const {
    object.setInt(key(), static_cast<int32_t>(keywordFromText(value)));
}

} // namespace duiField

void SetterRegistry::add(std::unique_ptr<duiField::ISetter> setter) {
    const PropertyKey key = setter->key();
    auto [it, inserted] = setters_.insert_or_assign(std::u16string(key), std::move(setter));
    (void)it;
    if (inserted) order_.push_back(key);
}

const duiField::ISetter* SetterRegistry::find(std::u16string_view name) const {
    auto it = setters_.find(name);
    return it == setters_.end() ? nullptr : it->second.get();
}

void SetterRegistry::registerDefaults() {
    using namespace duiField;
    add<TextSetter>(attr::img);
    add<RectSetter>(attr::scaleGrid);
    add<TextSetter>(attr::upSkin);
    add<TextSetter>(attr::downSkin);
    add<TextSetter>(attr::overSkin);
    add<TextSetter>(attr::disabledSkin);
    add<ColorSetter>(attr::textColor);
    add<IntSetter>(attr::downOffset);
    add<TextSetter>(attr::upIcon);
    add<TextSetter>(attr::overIcon);
    add<TextSetter>(attr::downIcon);
    add<TextSetter>(attr::disabledIcon);
    add<TextSetter>(attr::checkedUpIcon);
    add<TextSetter>(attr::checkedOverIcon);
    add<TextSetter>(attr::checkedDownIcon);
    add<TextSetter>(attr::checkedDisabledIcon);
    add<IntSetter>(attr::iconGap);
    add<TextSetter>(attr::dropBtn);
    add<RectSetter>(attr::margin);
    add<EnumSetter>(attr::textPlacement);
    add<TextSetter>(attr::barSkin);
    add<TextSetter>(attr::trackSkin);
    add<TextSetter>(attr::thumbUpSkin);
    add<TextSetter>(attr::thumbOverSkin);
    add<TextSetter>(attr::thumbDownSkin);
    add<TextSetter>(attr::checkedUpSkin);
    add<TextSetter>(attr::checkedDownSkin);
    add<TextSetter>(attr::checkedOverSkin);
    add<TextSetter>(attr::checkedDisabledSkin);
    add<RectSetter>(attr::thumbScaleGrid);
    add<TextSetter>(attr::upArrowUpSkin);
    add<TextSetter>(attr::upArrowOverSkin);
    add<TextSetter>(attr::upArrowDownSkin);
    add<TextSetter>(attr::upArrowDisabledSkin);
    add<TextSetter>(attr::downArrowUpSkin);
    add<TextSetter>(attr::downArrowOverSkin);
    add<TextSetter>(attr::downArrowDownSkin);
    add<TextSetter>(attr::downArrowDisabledSkin);
    add<TextSetter>(attr::thumbUpIcon);
    add<TextSetter>(attr::thumbOverIcon);
    add<TextSetter>(attr::thumbDownIcon);
    add<IntSetter>(attr::id);
    add<IntSetter>(attr::x);
    add<IntSetter>(attr::y);
    add<IntSetter>(attr::width);
    add<IntSetter>(attr::height);
    add<RectSetter>(attr::padding);
    add<EnumSetter>(attr::horizontalAlign);
    add<EnumSetter>(attr::verticalAlign);
    add<EnumSetter>(attr::dock);
    add<TextSetter>(attr::tooltip);
    add<TextSetter>(attr::style);
    add<EnumSetter>(attr::orientation);
    add<TextSetter>(attr::text);
    add<TextSetter>(attr::icon);
    add<TextSetter>(attr::font);
    add<ColorSetter>(attr::color);
    add<TextSetter>(attr::offIcon);
    add<TextSetter>(attr::offText);
    add<TextSetter>(attr::src);
    add<IntSetter>(attr::tabHeight);
    add<EnumSetter>(attr::tabPlacement);
    add<SizeSetter>(attr::initSize);
    add<SizeSetter>(attr::roundCorner);
    add<EnumSetter>(attr::textAlign);
    add<IntSetter>(attr::itemHeight);
    add<TextSetter>(attr::progressbkimg);
    add<RectSetter>(attr::progressbkScaleGrid);
    add<RectSetter>(attr::progressmargin);
    add<TextSetter>(attr::progressimg);
    add<RectSetter>(attr::progressScaleGrid);
    add<TextSetter>(attr::imagelist);
    add<TextSetter>(attr::url);
    add<IntSetter>(attr::textspace);
    add<IntSetter>(attr::texteditable);
    add<SizeSetter>(attr::textpadding);
    add<EnumSetter>(attr::scrollvertical);
    add<EnumSetter>(attr::scrollhorizontal);
    add<TextSetter>(attr::accessibleName);
    add<IntSetter>(attr::tabIndex);
    add<IntSetter>(attr::isDefault);
    add<IntSetter>(attr::isCancel);
}

} // namespace nelvo
