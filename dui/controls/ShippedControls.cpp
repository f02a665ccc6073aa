#include "dui/controls/ShippedControls.h"

#include "dui/ControlFactory.h"
#include "dui/controls/Button.h"
#include "dui/controls/CheckBox.h"
#include "dui/controls/ComboBox.h"
#include "dui/controls/Drawing.h"
#include "dui/controls/Edit.h"
#include "dui/controls/IconButton.h"
#include "dui/controls/ImageButton.h"
#include "dui/controls/Label.h"
#include "dui/controls/LinkLabel.h"
#include "dui/controls/ListBox.h"
#include "dui/controls/PowerPoint.h"
#include "dui/controls/ProgressBar.h"
#include "dui/controls/RadioButton.h"
#include "dui/controls/ScrollPanel.h"
#include "dui/controls/Seperator.h"
#include "dui/controls/Slider.h"
#include "dui/controls/Style_Button.h"
#include "dui/controls/Style_ButtonEx.h"
#include "dui/controls/Style_CheckButton.h"
#include "dui/controls/Style_CheckButtonEx.h"
#include "dui/controls/Style_ComboBox.h"
#include "dui/controls/Style_IconButton.h"
#include "dui/controls/Style_ScrollBar.h"
#include "dui/controls/Style_Slider.h"
#include "dui/controls/Style_ToggleButton.h"
#include "dui/controls/Style_ToggleIconButton.h"
#include "dui/controls/TabControl.h"
#include "dui/controls/TabItem.h"
#include "dui/controls/TextBox.h"
#include "dui/controls/TitleBar.h"
#include "dui/controls/ToggleButton.h"
#include "dui/controls/ToggleIconButton.h"
#include "dui/controls/WebBrowser.h"

namespace nelvo {

void registerShippedControls(ControlFactory& factory) {
    factory.registerControl<Drawing>(u"Image");
    factory.registerControl<Button>(u"Button");
    factory.registerControl<IconButton>(u"IconButton");
    factory.registerControl<ImageButton>(u"ImageButton");
    factory.registerControl<ToggleButton>(u"ToggleButton");
    factory.registerControl<ToggleIconButton>(u"ToggleIconButton");
    factory.registerControl<CheckBox>(u"CheckBox");
    factory.registerControl<RadioButton>(u"RadioButton");
    factory.registerControl<TitleBar>(u"TitleBar");
    factory.registerControl<Seperator>(u"Seperator");
    factory.registerControl<Label>(u"Label");
    factory.registerControl<LinkLabel>(u"LinkLabel");
    factory.registerControl<TextBox>(u"TextBox");
    factory.registerControl<Edit>(u"Edit");
    factory.registerControl<ProgressBar>(u"ProgressBar");
    factory.registerControl<PowerPoint>(u"PowerPoint");
    factory.registerControl<ScrollPanel>(u"ScrollPanel");
    factory.registerControl<ListBox>(u"ListBox", ChildRule{&ListBox::adoptItem, false});
    factory.registerControl<Slider>(u"Slider");
    factory.registerControl<ComboBox>(u"ComboBox", ChildRule{&ComboBox::adoptItem, false});
    factory.registerControl<TabControl>(u"TabControl");
    factory.registerControl<TabItem>(u"TabItem", ChildRule{&TabItem::adoptPage, true});
    factory.registerControl<WebBrowser>(u"WebBrowser");

    factory.registerStyle<Style_Button>(u"Button");
    factory.registerStyle<Style_ButtonEx>(u"ButtonEx");
    factory.registerStyle<Style_CheckButton>(u"CheckButton");
    factory.registerStyle<Style_CheckButtonEx>(u"CheckButtonEx");
    factory.registerStyle<Style_ComboBox>(u"ComboBox");
    factory.registerStyle<Style_IconButton>(u"IconButton");
    factory.registerStyle<Style_ScrollBar>(u"ScrollBar");
    factory.registerStyle<Style_Slider>(u"Slider");
    factory.registerStyle<Style_ToggleButton>(u"ToggleButton");
    factory.registerStyle<Style_ToggleIconButton>(u"ToggleIconButton");
}

void registerSetupControls(ControlFactory& factory) {
    factory.registerControl<Drawing>(u"Image");
    factory.registerControl<Button>(u"Button");
    factory.registerControl<CheckBox>(u"CheckBox");
    factory.registerControl<TitleBar>(u"TitleBar");
    factory.registerControl<Label>(u"Label");
    factory.registerControl<TextBox>(u"TextBox");
    factory.registerControl<Edit>(u"Edit");
    factory.registerControl<ProgressBar>(u"ProgressBar");

    factory.registerStyle<Style_ButtonEx>(u"ButtonEx");
    factory.registerStyle<Style_CheckButtonEx>(u"CheckButtonEx");
}

} // namespace nelvo
