package com.lanternix.runtime.installer.platform.win32;

/** Starts a process without waiting for it. */
public final class Win32Exec {
    private Win32Exec() {
    }

    public static native int launch0(String applicationName, String commandLine);
}
