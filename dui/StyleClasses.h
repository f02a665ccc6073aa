#pragma once
// Every style class, for the factory that creates styles by type.

#include "dui/Style_Background.h"
#include "dui/Style_Edit.h"
#include "dui/Style_ComboBox.h"
#include "dui/Style_ScrollBar.h"
#include "dui/Style_Slider.h"
#include "dui/controls/Style_Button.h"
#include "dui/controls/Style_ButtonEx.h"
#include "dui/controls/Style_CheckButton.h"
#include "dui/controls/Style_CheckButtonEx.h"
#include "dui/controls/Style_IconButton.h"
#include "dui/controls/Style_ToggleButton.h"
#include "dui/controls/Style_ToggleIconButton.h"
