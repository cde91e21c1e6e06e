package com.lanternix.runtime.installer.platform.win32;

/** Data blocks between two processes over a named pipe. */
public final class Win32CommunicationBackend {
    private Win32CommunicationBackend() {
    }

    public static native long getInvalidHandle0();

    public static native long createListener0(String pipeName);

    public static native byte[] readDataBlock0(long handle);

    public static native boolean writeDataBlock0(long handle, byte[] data);

    public static native long connectClient0(String pipeName);

    public static native boolean connectNamedPipe0(long serverHandle);

    public static native void disconnectNamedPipe0(long serverHandle);

    public static native void closeHandle0(long handle);

    public static native boolean isProcessAlive0(int processId);

    public static native int getCurrentProcessId0();
}
