#pragma once
// A library that speaks Oracle cannot run here: its statements are recorded
// as the program sent them and answered from a script, so tests assert the
// exact text that would reach Oracle.

#include <string>
#include <vector>

#include "dmsim/sql_result.h"

namespace dmsim {

class OracleRecorder {
public:
    // Answers statements that contain the text (case-insensitive) with the
    // result; the first matching script line wins. once: used a single time.
    void Script(std::string contains, SqlResult result, bool once = false);
    // Records the statement and answers it; without a matching script an
    // empty success.
    SqlResult Run(const std::string& statement);
    const std::vector<std::string>& Statements() const { return statements_; }
    void Clear();

private:
    struct Line {
        std::string contains;
        SqlResult result;
        bool once;
        bool used = false;
    };
    std::vector<Line> script_;
    std::vector<std::string> statements_;
};

}  // namespace dmsim
