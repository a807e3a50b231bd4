#pragma once
// Statements that must stand or fall together: run between Begin and
// Commit, a crash or a failure in between leaves none of them done. The DM
// SQL object commits each Oracle statement on its own, so there the unit is
// only the order of the statements.

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

    // Runs one statement of the unit and releases its results; false when
    // it failed, which the unit remembers.
    bool Run(const std::string& statement);
    // Commits when every statement run through Run succeeded, else rolls
    // back; answers whether the statements stand.
    bool Finish();

    void Commit();
    void Rollback();

private:
    void End(const char* statement);

    Program& p_;
    bool open_ = false;
    bool failed_ = false;
};

}  // namespace core
