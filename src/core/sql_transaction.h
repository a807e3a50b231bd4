#pragma once
// Statements that must stand or fall together: run between Begin and
// Commit, a crash or a failure in between leaves none of them done. The DM
// SQL object commits each Oracle statement on its own, so there the unit is
// only the order of the statements.
//
// A BEGIN the database refuses runs none of the unit's statements (each
// would stand on its own); a COMMIT it refuses is rolled back and the unit
// has failed.

#include <string>

namespace core {

class Program;

class SqlTransaction {
public:
    // Opens the unit on the connected library.
    explicit SqlTransaction(Program& program);
    // Rolls back when the unit was neither committed nor rolled back.
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    // Whether the unit could begin: false when the database refused it.
    bool Begun() const { return !refused_; }
    // Runs one statement of the unit and releases its results; false when
    // it failed, which the unit remembers. A unit that did not begin runs
    // nothing.
    bool Run(const std::string& statement);
    // Commits when every statement run through Run succeeded, else rolls
    // back; answers whether the statements stand.
    bool Finish();

    // Answers whether the statements stand: false when the unit did not
    // begin or the COMMIT was refused (then it is rolled back).
    bool Commit();
    void Rollback();

private:
    bool End(const char* statement);

    Program& p_;
    bool open_ = false;
    bool failed_ = false;
    bool refused_ = false;
};

}  // namespace core
