#include "forms/check_box.h"

#include <gtest/gtest.h>

namespace forms {
namespace {

class CheckBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        box.changed.Connect([this] { ++changes; });
    }
    CheckBox box{"CheckLoop", "&Loop Continuously"};
    int changes = 0;
};

TEST_F(CheckBoxTest, TakesZeroOneAndTwoAndNotifiesEachChange) {
    for (int value : {1, 2, 0, 2}) {
        int before = changes;
        EXPECT_TRUE(box.SetValue(value));
        EXPECT_EQ(box.Value(), value);
        EXPECT_EQ(changes, before + 1);
    }
}

TEST_F(CheckBoxTest, RefusesAnyOtherValueAndKeepsItsState) {
    ASSERT_TRUE(box.SetValue(2));
    changes = 0;
    for (int value : {-1, 3, 255, -32768}) {
        EXPECT_FALSE(box.SetValue(value)) << value;
        EXPECT_EQ(box.Value(), 2) << value;
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(CheckBoxTest, SettingTheSameValueIsNoChange) {
    ASSERT_TRUE(box.SetValue(1));
    changes = 0;
    EXPECT_TRUE(box.SetValue(1));
    EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace forms
