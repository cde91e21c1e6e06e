#pragma once
#include "base/argument_list.h"

namespace lnx {

// Applies the create-log and temp options (removing what it consumes), reads the Payload
// tables, chooses the product word, sets the working directory and shows the log-file
// notice. Ends the process on a damaged Payload.
void processStartOptions(void* instance, ArgumentList& args);

// True when standard output and standard error now go to a console (the parent's or a new one).
bool attachConsole();

} // namespace lnx
