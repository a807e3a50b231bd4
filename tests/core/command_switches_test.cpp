#include <gtest/gtest.h>

#include "core/command_switches.h"

namespace {

std::string Describe(const core::SwitchList& list) {
    std::string out;
    for (const auto& s : list.switches) out += s.name + (s.value.empty() ? "" : "[" + s.value + "]") + " ";
    for (const auto& u : list.unknown) out += "?" + u + " ";  // after the switches
    return out;
}

TEST(CommandSwitches, AreWholeWords) {
    const struct {
        const char* text;
        const char* read;
    } cases[] = {
        {"/G /X", "/G /X "},
        {"/g/x", "/G /X "},  // together, and in any case
        {"/MODE=COPY", "?/MODE=COPY "},
        {"/FAST /MX", "/MX ?/FAST "},
        {"/home/user/M", "?/home/user/M "},  // a path is no /M
        {"C:/data/M /F", "/F ?C:/data/M "},
        {"/G/MODE", "?/G/MODE "},  // one unknown part spoils the word
        {"/T=MY LIBRARY /G", "/T=[MY LIBRARY] /G "},
        {"/S=lib2/T=x", "/S=[lib2] /T=[x] "},
        {"/T= ARCHIVE", "/T=[ARCHIVE] "},
        {"/T=", "/T= "},
        {"/AX /A", "/AX /A "},
        {"/", "?/ "},
        {"  ", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Describe(core::ReadSwitches(c.text, core::CommandLineSwitches())), c.read) << c.text;
    }
}

TEST(CommandSwitches, ValuesAreUpperCasedAndEmptyOnesLeftOut) {
    auto list = core::ReadSwitches("/t=Archive /T= /T=my lib/G", core::CommandLineSwitches());
    EXPECT_EQ(list.Values("/T="), (std::vector<std::string>{"ARCHIVE", "MY LIB"}));
    EXPECT_TRUE(list.Has("/G"));
    // A slash that starts no switch belongs to the name.
    list = core::ReadSwitches("/T=OLD ARCHIVE C:/data/M", core::CommandLineSwitches());
    EXPECT_EQ(list.Values("/T="), (std::vector<std::string>{"OLD ARCHIVE C:/DATA/M"}));
    EXPECT_FALSE(list.Has("/M"));
    EXPECT_TRUE(core::CommandLineHas("/A /X", "/X"));
    EXPECT_FALSE(core::CommandLineHas("/AX", "/A"));
    EXPECT_FALSE(core::CommandLineHas("/XYZ", "/X"));
}

}  // namespace
