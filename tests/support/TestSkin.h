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
// The scroll bar's and the slider's own parts (the arrows draw kUp ...
// kDisabled, the thumbs kCheckedUp ... kCheckedDown and kIcon).
inline constexpr uint32_t kBar = 0x203040, kSliderBar = 0x2040A0, kSliderTrack = 0x20A040;
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
        // Scrolling: bars 15 wide (vertical) and 15 high (horizontal) with
        // arrows of 15 x 25 and 25 x 15, thumbs with an icon, the slider
        // with a 10 x 20 thumb, and list items drawn by the four-state skin.
        {u"sb_bar.png", solid(15, 15, kBar)},
        {u"sb_up.png", solid(15, 25, kUp)},
        {u"sb_over.png", solid(15, 25, kOver)},
        {u"sb_down.png", solid(15, 25, kDown)},
        {u"sb_disabled.png", solid(15, 25, kDisabled)},
        {u"sb_across.png", solid(25, 15, kUp)},
        {u"vscrollbar.xml", styleXml("ScrollBar", "barSkin=\"sb_bar.png\" upArrowUpSkin=\"sb_up.png\" "
            "upArrowOverSkin=\"sb_over.png\" upArrowDownSkin=\"sb_down.png\" upArrowDisabledSkin=\"sb_disabled.png\" "
            "downArrowUpSkin=\"sb_up.png\" downArrowOverSkin=\"sb_over.png\" downArrowDownSkin=\"sb_down.png\" "
            "downArrowDisabledSkin=\"sb_disabled.png\" thumbUpSkin=\"cup.png\" thumbOverSkin=\"cover.png\" "
            "thumbDownSkin=\"cdown.png\" thumbScaleGrid=\"2,2,2,2\" thumbUpIcon=\"icon.png\" thumbOverIcon=\"icon.png\" "
            "thumbDownIcon=\"icon.png\"")},
        {u"hscrollbar.xml", styleXml("ScrollBar", "barSkin=\"sb_bar.png\" upArrowUpSkin=\"sb_across.png\" "
            "downArrowUpSkin=\"sb_across.png\" thumbUpSkin=\"cup.png\"")},
        {u"sl_bar.png", solid(4, 6, kSliderBar)},
        {u"sl_track.png", solid(4, 6, kSliderTrack)},
        {u"sl_thumb.png", solid(10, 20, kUp)},
        {u"slider.xml", styleXml("Slider", "barSkin=\"sl_bar.png\" trackSkin=\"sl_track.png\" "
            "thumbUpSkin=\"sl_thumb.png\" thumbOverSkin=\"over.png\" thumbDownSkin=\"down.png\"")},
        {u"listitem.xml", styleXml("Style", "upSkin=\"white.png\" downSkin=\"down.png\"")},
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
