#pragma once
// A small test skin: solid-colour skins whose colours tell which state was
// drawn, strips whose frames differ by colour, a nine-grid frame, the fonts
// "Default" and "Default.Bold", and a style file of each type.

#include "tests/support/PngBytes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace nelvo::test {

// Colours of the test skin, as stored in a 32-bit surface (0xRRGGBB).
inline constexpr uint32_t kUp = 0xC00000, kOver = 0x00C000, kDown = 0x0000C0, kDisabled = 0x808080;
inline constexpr uint32_t kCheckedUp = 0xC0C000, kCheckedOver = 0x00C0C0, kCheckedDown = 0xC000C0,
                          kCheckedDisabled = 0x404040;
inline constexpr uint32_t kIcon = 0xFFFF00, kNever = 0xFF00FF;
// The frames of the strips: normal, hovered, pressed, disabled (then the
// same four checked for the eight-frame strip).
inline constexpr uint32_t kFrames[8] = {0x100000, 0x200000, 0x300000, 0x400000,
                                        0x001000, 0x002000, 0x003000, 0x004000};

inline std::string solid(int w, int h, uint32_t rgb) {
    return solidPng(w, h, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
}

// A vertical strip of `frames` bands of `rows` rows each in the colours
// given, then `extra` rows of kNever.
inline std::string strip(int width, int rows, const uint32_t* colours, int frames, int extra) {
    std::vector<uint8_t> rgba;
    for (int f = 0; f <= frames; ++f) {
        const uint32_t c = f < frames ? colours[f] : kNever;
        const int n = f < frames ? rows : extra;
        for (int i = 0; i < width * n; ++i) rgba.insert(rgba.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255});
    }
    return pngBytes(rgba, width, frames * rows + extra);
}

// An 8 x 8 frame two pixels wide in `rgb` around a transparent centre.
inline std::string frame(uint32_t rgb) {
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool edge = x < 2 || x >= 6 || y < 2 || y >= 6;
            rgba.insert(rgba.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), uint8_t(edge ? 255 : 0)});
        }
    return pngBytes(rgba, 8, 8);
}

inline std::string styleXml(const std::string& type, const std::string& props) {
    return "<Style><Config type=\"" + type + "\"><Prop " + props + "/></Config></Style>";
}

inline std::vector<std::pair<std::u16string, std::string>> testSkinMembers() {
    const std::string fourSkins = "upSkin=\"up.png\" overSkin=\"over.png\" downSkin=\"down.png\" disabledSkin=\"disabled.png\"";
    return {
        {u"font.xml", "<Fonts><Font name=\"Default\" face=\"Tahoma\" size=\"12\"/>"
                      "<Font name=\"Default.Bold\" face=\"Tahoma\" size=\"12\" bold=\"true\"/></Fonts>"},
        {u"up.png", solid(8, 8, kUp)},
        {u"over.png", solid(8, 8, kOver)},
        {u"down.png", solid(8, 8, kDown)},
        {u"disabled.png", solid(8, 8, kDisabled)},
        {u"cup.png", solid(8, 8, kCheckedUp)},
        {u"cover.png", solid(8, 8, kCheckedOver)},
        {u"cdown.png", solid(8, 8, kCheckedDown)},
        {u"cdisabled.png", solid(8, 8, kCheckedDisabled)},
        {u"icon.png", solid(6, 6, kIcon)},
        {u"white.png", solid(4, 4, 0xFFFFFF)},
        {u"strip70.png", strip(25, 17, kFrames, 4, 2)},
        {u"check8.png", strip(14, 14, kFrames, 8, 0)},
        {u"pro_bg.png", solid(4, 4, 0x202020)},
        {u"pro_fg.png", solid(4, 4, 0x20E020)},
        {u"button.xml", styleXml("Button", fourSkins + " textColor=\"#ffffff\"")},
        {u"offset1.xml", styleXml("Button", "upSkin=\"white.png\" downSkin=\"white.png\" textColor=\"#000000\" downOffset=\"1\"")},
        {u"offset2.xml", styleXml("Button", "upSkin=\"white.png\" downSkin=\"white.png\" textColor=\"#000000\" downOffset=\"2\"")},
        {u"strip.xml", styleXml("ButtonEx", "src=\"strip70.png\"")},
        {u"checkbox.xml", styleXml("CheckButtonEx", "src=\"check8.png\" textColor=\"#ffffff\"")},
        {u"radiobutton.xml", styleXml("CheckButton", "upIcon=\"up.png\" checkedUpIcon=\"cup.png\" overIcon=\"over.png\" checkedOverIcon=\"cover.png\"")},
        {u"toggle.xml", styleXml("ToggleButton", fourSkins + " checkedUpSkin=\"cup.png\" checkedOverSkin=\"cover.png\" "
                                                "checkedDownSkin=\"cdown.png\" checkedDisabledSkin=\"cdisabled.png\"")},
        {u"iconRight.xml", styleXml("IconButton", "upSkin=\"white.png\" textPlacement=\"right\" iconGap=\"4\"")},
        {u"iconLeft.xml", styleXml("IconButton", "upSkin=\"white.png\" textPlacement=\"left\" iconGap=\"4\"")},
        {u"iconBottom.xml", styleXml("IconButton", "upSkin=\"white.png\" textPlacement=\"bottom\" iconGap=\"4\"")},
        {u"iconCenter.xml", styleXml("IconButton", "upSkin=\"white.png\" textPlacement=\"center\"")},
        {u"toggleIcon.xml", styleXml("ToggleIconButton", "upSkin=\"white.png\" overSkin=\"over.png\"")},
        {u"edit.xml", styleXml("Edit", "upSkin=\"white.png\" overSkin=\"white.png\" disabledSkin=\"disabled.png\"")},
        {u"textbox.xml", styleXml("Edit", "upSkin=\"white.png\" overSkin=\"white.png\"")},
        {u"background.xml", styleXml("Background", "img=\"bg.png\"")},
        {u"frame.png", frame(kUp)},
        {u"framed.xml", styleXml("Button", "upSkin=\"frame.png\" overSkin=\"frame.png\" downSkin=\"frame.png\" "
                                           "scaleGrid=\"2,2,2,2\"")},
        {u"bg.png", solid(4, 4, 0x3A6EA5)},
        // Tabs and the combo box: a white header strip, pages in colours of
        // their own, the combo box's fallback style and its list's frame.
        {u"tabstrip.xml", styleXml("Background", "img=\"white.png\"")},
        {u"page1.xml", styleXml("Background", "img=\"cover.png\"")},
        {u"page2.xml", styleXml("Background", "img=\"cdown.png\"")},
        {u"page3.xml", styleXml("Background", "img=\"cdisabled.png\"")},
        {u"combobox.xml", styleXml("ComboBox", fourSkins + " dropBtn=\"icon.png\"")},
        {u"ComboDropped_Bkgnd.xml", styleXml("Background", "img=\"white.png\"")},
    };
}

} // namespace nelvo::test
