#include "platform/system.h"

#include <gtest/gtest.h>
#include <stdlib.h>

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

TEST(TestSystem, EndingTheProcessThrows) {
    platform::TestSystem sys("", "/tmp", "/opt");
    EXPECT_THROW(sys.EndProcess(3), platform::ProcessEnded);
}

}  // namespace
