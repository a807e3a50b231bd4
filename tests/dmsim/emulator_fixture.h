#pragma once
// A small site in a temporary folder, an emulator on it and a frozen clock.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dmclient/dm_factory.h"
#include "dmsim/emulator.h"
#include "dmsim/site_builder.h"
#include "test_support/temp_dir.h"

namespace dmsim::fixture {

// 2021-03-05 14:30:00 UTC.
inline TimePoint FrozenTime() { return std::chrono::system_clock::from_time_t(1614954600); }

class EmulatorTest : public ::testing::Test {
protected:
    test_support::TempDir dir_;
    SiteBuilder site_{dir_.path()};
    std::unique_ptr<Emulator> emulator_;
    TimePoint now_ = FrozenTime();

    // Creates the site as described so far and opens the emulator on it.
    void Open() {
        if (site_.Spec().libraries.empty()) site_.Library("DOCS");
        site_.Create();
        emulator_ = std::make_unique<Emulator>(dir_.path());
        emulator_->SetClock([this] { return now_; });
    }

    std::shared_ptr<dm::IDmSql> Sql(const std::string& library) {
        auto sql = emulator_->Factory()->CreateSql(dm::kSqlProgId);
        sql->SetLibrary(library);
        return sql;
    }
};

}  // namespace dmsim::fixture
