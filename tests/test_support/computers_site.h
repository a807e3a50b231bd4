#pragma once
// An emulated DM site in a temporary folder, made with the dmsite tool, and
// the program run on it unattended as several computers or schedulers, each
// with settings and temporary folders of its own. Used by tests that start
// the programs together. The including target defines DORVANE_PATH and
// DMSITE_PATH.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dmsim/library_db.h"
#include "dmsim/site_file.h"
#include "test_support/process.h"
#include "test_support/temp_dir.h"

namespace test_support {

// Runs the dmsite tool; the test fails when it does not end with status 0.
inline void RunDmsite(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {DMSITE_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessOptions options;
    options.env = {{"ASAN_OPTIONS", "detect_leaks=0"}};
    ASSERT_EQ(RunProcess(argv, options).exitCode, 0) << args.front();
}

class ComputersSite {
public:
    std::string Dir() const { return (dir_.path() / "site").string(); }

    // Runs the dmsite tool on the site; its arguments name the site folder.
    void Tool(const std::vector<std::string>& args) { RunDmsite(args); }

    // Starts `dorvane <switches>` without a display under the computer name,
    // with the settings and temporary folders of `own`.
    pid_t Start(const std::string& own, const std::string& computerName, const std::vector<std::string>& switches) {
        const std::filesystem::path folder = Own(own);
        std::filesystem::create_directories(folder / "home");
        std::filesystem::create_directories(folder / "temp");
        ProcessOptions options;
        options.env = {{"DMSIM_SITE", Dir()},
                       {"DORVANE_HOME", (folder / "home").string()},
                       {"TEMP", (folder / "temp").string()},
                       {"TMPDIR", (folder / "temp").string()},
                       {"COMPUTERNAME", computerName},
                       {"QT_QPA_PLATFORM", "offscreen"},
                       {"ASAN_OPTIONS", "detect_leaks=0"}};
        options.unset = {"DISPLAY", "WAYLAND_DISPLAY"};
        options.stderrFile = (folder / "stderr.txt").string();
        std::vector<std::string> argv = {DORVANE_PATH};
        argv.insert(argv.end(), switches.begin(), switches.end());
        return StartProcess(argv, options);
    }

    std::string StandardError(const std::string& own) const { return Slurp(Own(own) / "stderr.txt"); }

    // Every log file the program wrote for `own`.
    std::string Log(const std::string& own) const {
        std::string text;
        for (auto& e : std::filesystem::directory_iterator(Own(own) / "temp")) {
            if (e.path().extension() == ".LOG") text += Slurp(e.path());
        }
        return text;
    }

    dmsim::LibraryDb& Db(const std::string& library) {
        auto& db = dbs_[library];
        if (!db) {
            const auto site = dmsim::ReadSiteFile(std::filesystem::path(Dir()) / dmsim::kSiteFileName);
            db = std::make_unique<dmsim::LibraryDb>(*site.Find(library), std::filesystem::path(Dir()), nullptr);
        }
        return *db;
    }

    int64_t Value(const std::string& library, const std::string& sql) {
        return dmsim::AsInt(Db(library).QueryValue(sql));
    }

private:
    std::filesystem::path Own(const std::string& own) const { return dir_.path() / own; }

    TempDir dir_;
    std::map<std::string, std::unique_ptr<dmsim::LibraryDb>> dbs_;
};

}  // namespace test_support
