#include "forms/splash_window.h"

namespace forms {

KestSplash::KestSplash() : Window("KestSplash") {
    Register({&KestSplashFrame, &ProductName, &KestVersion, &LabelStatus});
    Resize(7500, 3900);
}

}  // namespace forms
