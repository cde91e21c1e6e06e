#pragma once
// The Java program behind the stand-in VM, as far as the launcher can see it: what main
// does (throw, set the start-up marker, show a window later, take its time, start the
// temp cleanup, end the process), chosen by the switches.
#include <memory>

#include "jni_fake/fake_jvm.h"
#include "jvm_switches.h"
#include "late_window.h"
#include "temp_cleanup_start.h"

namespace standin {

class JavaSide {
public:
  // Hooks itself into jvm; both must live as long as the VM.
  JavaSide(jnifake::FakeJvm& jvm, jnifake::JniReport& report, JvmSwitches switches);

private:
  void runMain();
  void finish();
  void setStartupMarker(unsigned long value);
  TempCleanupInputs tempCleanupInputs() const;

  jnifake::FakeJvm& jvm_;
  jnifake::JniReport& report_;
  JvmSwitches switches_;
  std::unique_ptr<LateWindow> window_;
};

} // namespace standin
