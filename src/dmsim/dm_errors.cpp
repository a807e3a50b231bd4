#include "dmsim/dm_errors.h"

#include <exception>
#include <new>

#include "dmclient/dm_error.h"

namespace dmsim {

void RethrowAsDmError(std::string_view source, std::string_view library) {
    std::string reason;
    try {
        throw;
    } catch (const dm::DmError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "unknown failure";
    }
    const std::string where = library.empty() ? "The DM server" : "The library " + std::string(library);
    throw dm::DmError(kErrServerFailure, std::string(source), where + " failed: " + reason);
}

}  // namespace dmsim
