#include "dui/ControlFactory.h"

#include "dui/Canvas.h"
#include "dui/DockPanel.h"
#include "dui/Grid.h"
#include "dui/StackPanel.h"
#include "dui/StyleClasses.h"
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
#include "dui/controls/TabControl.h"
#include "dui/controls/TabItem.h"
#include "dui/controls/TextBox.h"
#include "dui/controls/TitleBar.h"
#include "dui/controls/ToggleButton.h"
#include "dui/controls/ToggleIconButton.h"
#include "dui/controls/WebBrowser.h"

namespace nelvo {

void ControlFactory::registerDefaults() {
    registerControl<Grid>(u"Window");  // the root of every window
    registerControl<Grid>(u"Grid");
    registerControl<Canvas>(u"Canvas");
    registerControl<StackPanel>(u"StackPanel");
    registerControl<DockPanel>(u"DockPanel");
    registerControl<Drawing>(u"Image");
    registerControl<Button>(u"Button");
    registerControl<IconButton>(u"IconButton");
    registerControl<ImageButton>(u"ImageButton");
    registerControl<ToggleButton>(u"ToggleButton");
    registerControl<ToggleIconButton>(u"ToggleIconButton");
    registerControl<CheckBox>(u"CheckBox");
    registerControl<RadioButton>(u"RadioButton");
    registerControl<TitleBar>(u"TitleBar");
    registerControl<Seperator>(u"Seperator");
    registerControl<Label>(u"Label");
    registerControl<LinkLabel>(u"LinkLabel");
    registerControl<TextBox>(u"TextBox");
    registerControl<Edit>(u"Edit");
    registerControl<ProgressBar>(u"ProgressBar");
    registerControl<PowerPoint>(u"PowerPoint");
    registerControl<ScrollPanel>(u"ScrollPanel");
    registerControl<ListBox>(u"ListBox");
    registerControl<Slider>(u"Slider");
    registerControl<ComboBox>(u"ComboBox");
    registerControl<TabControl>(u"TabControl");
    registerControl<TabItem>(u"TabItem");
    registerControl<WebBrowser>(u"WebBrowser");

    registerStyle<Style_Background>(u"Background");
    registerStyle<Style_Button>(u"Button");
    registerStyle<Style_ButtonEx>(u"ButtonEx");
    registerStyle<Style_CheckButton>(u"CheckButton");
    registerStyle<Style_CheckButtonEx>(u"CheckButtonEx");
    registerStyle<Style_ComboBox>(u"ComboBox");
    registerStyle<Style_Edit>(u"Edit");
    registerStyle<Style_IconButton>(u"IconButton");
    registerStyle<Style_ScrollBar>(u"ScrollBar");
    registerStyle<Style_Slider>(u"Slider");
    registerStyle<Style_ToggleButton>(u"ToggleButton");
    registerStyle<Style_ToggleIconButton>(u"ToggleIconButton");
    registerStyle<Style>(u"Style");
}

void ControlFactory::registerControl(std::u16string_view element,
                                     std::unique_ptr<duiFactory::Creator<Control>> creator) {
    controls_.insert_or_assign(std::u16string(element), std::move(creator));
}

void ControlFactory::registerStyle(std::u16string_view type, std::unique_ptr<duiFactory::Creator<Style>> creator) {
    styles_.insert_or_assign(std::u16string(type), std::move(creator));
}

Control* ControlFactory::createControl(std::u16string_view element) const {
    auto it = controls_.find(element);
    return it == controls_.end() ? nullptr : it->second->create();
}

Style* ControlFactory::createStyle(std::u16string_view type) const {
    auto it = styles_.find(type);
    return it == styles_.end() ? nullptr : it->second->create();
}

} // namespace nelvo
