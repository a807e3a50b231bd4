// Every window the program shows modally has a view registered under its
// name: a window added without one, or a view registered under a misspelt
// name, fails here before anybody opens it.

#include "gui/view_registry.h"

#include <gtest/gtest.h>

#include "gui/qt_host.h"
#include "gui/qt_test_app.h"
#include "test_support/program_fixture.h"

namespace gui {
namespace {

class ViewRegistryTest : public test_support::ProgramTest {
protected:
    static void SetUpTestSuite() { testing::TestApp(); }
};

TEST_F(ViewRegistryTest, EveryModalWindowOfTheProgramHasAView) {
    Open();
    QtHost host;
    RegisterViews(host);
    ASSERT_FALSE(app_->ModalWindows().empty());
    for (const forms::Window* window : app_->ModalWindows()) {
        EXPECT_TRUE(host.HasView(window->Name())) << window->Name();
    }
}

}  // namespace
}  // namespace gui
