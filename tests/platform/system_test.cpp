#include "platform/system.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "test_support/scoped_env.h"
#include "test_support/temp_dir.h"

namespace {

TEST(PosixSystem, ComputerNameComesFromTheEnvironmentWhenSet) {
    platform::PosixSystem sys({"/G", "/X"}, "/opt/dorvane");
    setenv("COMPUTERNAME", "  ARCHIVER2 ", 1);
    EXPECT_EQ(sys.ComputerName(), "ARCHIVER2");
    unsetenv("COMPUTERNAME");
    std::string host = sys.ComputerName();
    EXPECT_FALSE(host.empty());
    for (char c : host) EXPECT_FALSE(islower(static_cast<unsigned char>(c)));
    EXPECT_EQ(sys.ProcessCommandLine(), "/G /X");
}

TEST(PosixSystem, TempFolderPrefersTempThenTmpdir) {
    platform::PosixSystem sys({}, ".");
    setenv("TEMP", "/t1", 1);
    setenv("TMPDIR", "/t2", 1);
    EXPECT_EQ(sys.TempFolder(), "/t1");
    unsetenv("TEMP");
    EXPECT_EQ(sys.TempFolder(), "/t2");
    unsetenv("TMPDIR");
    EXPECT_EQ(sys.TempFolder(), "/tmp");
}

// The editor is started in the background: whether it can be started at
// all is known only by looking for it first.
TEST(PosixSystem, OpenInEditorTellsWhenNoEditorCanBeStarted) {
    test_support::TempDir dir;
    const auto bin = dir.path() / "bin";
    std::filesystem::create_directories(bin);
    const auto viewer = bin / "xdg-open";
    std::ofstream(viewer) << "#!/bin/sh\nexit 0\n";
    std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);
    const auto file = (dir.path() / "log.txt").string();
    std::ofstream(file) << "x";
    const std::string empty = (dir.path() / "empty").string();
    std::filesystem::create_directories(empty);
    struct Case {
        const char* name;
        std::string path;
        std::optional<std::string> visual;
        std::optional<std::string> editor;
        bool opened;
    };
    const Case cases[] = {
        {"nothing to start", empty, std::nullopt, std::nullopt, false},
        {"the desktop's opener", bin.string(), std::nullopt, std::nullopt, true},
        {"VISUAL first", empty, "no-such-editor", "true", false},
        {"EDITOR without VISUAL", empty, std::nullopt, "true", true},
        {"an editor by its path with an option", empty, viewer.string() + " -n", std::nullopt, true},
        {"blanks only", bin.string(), "  ", std::nullopt, false},
    };
    platform::PosixSystem sys({}, ".");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test_support::ScopedEnv path("PATH", c.path);
        test_support::ScopedEnv visual("VISUAL", c.visual);
        test_support::ScopedEnv editor("EDITOR", c.editor);
        EXPECT_EQ(sys.OpenInEditor(file), c.opened);
    }
}

TEST(TestSystem, EndingTheProcessThrows) {
    platform::TestSystem sys("", "/tmp", "/opt");
    EXPECT_THROW(sys.EndProcess(3), platform::ProcessEnded);
}

}  // namespace
