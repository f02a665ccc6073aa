#pragma once
// The style classes by style type. For now each is a thin class over Style
// with the base's draw; the skin drawing gives each its own draw.

#include "dui/Style.h"

namespace nelvo {

class Style_Background : public Style {};
class Style_Button : public Style {};
class Style_ButtonEx : public Style {};
class Style_CheckButton : public Style {};
class Style_CheckButtonEx : public Style {};
class Style_ComboBox : public Style {};
class Style_Edit : public Style {};
class Style_IconButton : public Style {};
class Style_ScrollBar : public Style {};
class Style_Slider : public Style {};
class Style_ToggleButton : public Style {};
class Style_ToggleIconButton : public Style {};

} // namespace nelvo
