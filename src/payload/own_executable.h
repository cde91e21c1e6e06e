#pragma once
// The launcher's own executable as the source of its Payload.
#include <memory>
#include <string>

#include "base/argument_list.h"
#include "payload/byte_source.h"

namespace lnx {

// A read handle on the executable's own file; ends the process with "Error opening media
// file." when it cannot be opened.
std::unique_ptr<ByteSource> openOwnExecutable();

// Reads the configuration, messages and the localised sets of the chosen locale into the
// process tables; returns configuration 107 and clears message boxes unless it is 1 or 5.
// A damaged Payload ends the process with the reader's text.
int readPayloadTables(const ArgumentList& args);

// The locale from the user's display language (or format locale), logged.
std::string chooseLocale(const ArgumentList* args);

// Checks the Payload's CRC-32 unless switched off; ends the process with message 20016
// on a mismatch and with internal error 34 when the file cannot be read.
void verifyPayload(void* progressWindow);

} // namespace lnx
