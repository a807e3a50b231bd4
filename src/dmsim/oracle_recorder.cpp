#include "dmsim/oracle_recorder.h"

#include "dmsim/text.h"

namespace dmsim {

void OracleRecorder::Script(std::string contains, SqlResult result, bool once) {
    script_.push_back(Line{ToUpper(contains), std::move(result), once});
}

SqlResult OracleRecorder::Run(const std::string& statement) {
    statements_.push_back(statement);
    std::string upper = ToUpper(statement);
    for (auto& line : script_) {
        if (line.once && line.used) continue;
        if (upper.find(line.contains) == std::string::npos) continue;
        line.used = true;
        return line.result;
    }
    return SqlResult{};
}

void OracleRecorder::Clear() {
    script_.clear();
    statements_.clear();
}

}  // namespace dmsim
