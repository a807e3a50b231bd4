#include "gui/qt_test_app.h"

#include <gtest/gtest.h>

#include <memory>

namespace gui::testing {

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { TestApp(); }
    void TearDown() override { App().reset(); }

    static std::unique_ptr<QApplication>& App() {
        static std::unique_ptr<QApplication> app;
        return app;
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QApplication& TestApp() {
    auto& app = QtEnvironment::App();
    if (!app) {
        static int argc = 1;
        static char name[] = "gui_tests";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
    }
    return *app;
}

}  // namespace gui::testing
