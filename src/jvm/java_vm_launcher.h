#pragma once
// Running the Java program inside this process: VM creation, the Java side's set-up and
// its main method.
#include "base/argument_list.h"

namespace lnx {

// Creates the VM, hands over splash settings, native methods, the executable's names,
// and calls main; with destroyAfterMain it then waits in DestroyJavaVM for the Java
// program's threads. True when main returned without a pending exception. Ends the
// process when the launcher class or its main method is missing.
bool launchJava(const ArgumentList& args, bool destroyAfterMain);

} // namespace lnx
