#pragma once

namespace infobase {

class BranchField;

// Whether the record on which `file` (the File field) stands holds an attachment of at least
// one byte. Reads no more than the attachment's first piece from the base file. A failed
// read throws Failure with the database's message.
bool hasAttachment(const BranchField& file);

} // namespace infobase
