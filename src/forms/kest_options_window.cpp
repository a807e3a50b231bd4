#include "forms/kest_options_window.h"

namespace forms {

KestOptions::KestOptions() : Window("KestOptions", "dIRAZ Local Settings") {
    Register({&FrameProperties, &LabelLibList, &ComboLibList, &LabelPropertyValue, &ComboPropertyItem,
              &LabelPropertyResult, &FrameButtons, &ButtonExit, &StatusBarInfo1, &StatusBarInfo2,
              &StatusBarInfo3});
    Resize(5400, 2700);
}

}  // namespace forms
