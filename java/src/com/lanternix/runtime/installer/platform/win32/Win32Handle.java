package com.lanternix.runtime.installer.platform.win32;

/** The file handles of the own process and object-manager link targets. */
public final class Win32Handle {
    private Win32Handle() {
    }

    public static native Object[] list0();

    public static native boolean close0(int handle);

    public static native String getDeviceName0(String linkName);
}
