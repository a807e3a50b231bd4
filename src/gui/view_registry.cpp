#include "gui/view_registry.h"

#include <memory>

#include "forms/kest_options_window.h"
#include "forms/lib_setup_window.h"
#include "forms/lookup_dialog.h"
#include "forms/queue_list_windows.h"
#include "forms/splash_window.h"
#include "gui/kest_options_view.h"
#include "gui/lib_setup_view.h"
#include "gui/qt_host.h"
#include "gui/lookup_view.h"
#include "gui/queue_list_view.h"
#include "gui/splash_view.h"

namespace gui {

namespace {

// A view for the model when it is of the view's kind; nothing otherwise, and
// the host then answers that it has no view for the window.
template <typename View, typename Model>
QtHost::ViewFactory Factory() {
    return [](forms::Window& window) -> std::unique_ptr<QWidget> {
        auto* model = dynamic_cast<Model*>(&window);
        if (!model) return nullptr;
        return std::make_unique<View>(*model);
    };
}

}  // namespace

void RegisterViews(QtHost& host) {
    // Shown modally as the About window.
    host.RegisterView("KestSplash", Factory<SplashView, forms::KestSplash>());
    host.RegisterView("KestLookup", Factory<LookupView, forms::KestLookup>());
    host.RegisterView("DorvaneLibSetup", Factory<LibSetupView, forms::DorvaneLibSetup>());
    host.RegisterView("KestOptions", Factory<KestOptionsView, forms::KestOptions>());
    host.RegisterView("Dorvane_Summary", Factory<QueueListView, forms::DorvaneSummary>());
    host.RegisterView("Dorvane_NextKey", Factory<QueueListView, forms::DorvaneNextKey>());
}

}  // namespace gui
