#pragma once
// What the archive run asks of the document transfer: one queued document of
// the source library into one target library.

#include <cstdint>
#include <string>

namespace transfer {

class IDocumentTransfer {
public:
    virtual ~IDocumentTransfer() = default;
    // The document's number in the target (also that of an earlier copy left
    // unchanged); -1 when it needed no transfer; 0 when it was not done. The
    // source library is connected again when it returns.
    virtual int32_t TransferDocument(const std::string& sourceLibrary, const std::string& targetLibrary,
                                     int32_t docNumber) = 0;
    // The folders of the last document that its copy could not be filed
    // into (created or found, then filed); the copy stands all the same.
    virtual int32_t FilingFailures() const { return 0; }
};

}  // namespace transfer
