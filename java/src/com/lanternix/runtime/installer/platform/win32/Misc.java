package com.lanternix.runtime.installer.platform.win32;

import com.lanternix.api.windows.WindowInfo;

/** Processes, windows, memory, disks, the environment and restarting. */
public final class Misc {
    private Misc() {
    }

    public static native void reboot0();

    public static native String[] getRunningModules0(boolean disableDebugPrivilege);

    public static native String[] getEnvVarPairs0();

    public static native void broadcastSettingChange0();

    public static native long getPhysicalMemory0();

    public static native long getFreeDiskSpace0(String path);

    public static native boolean moveWithDelayUntilReboot0(String sourcePath, String targetPath);

    public static native void toFront0();

    public static native int terminateProcesses0(int[] processIds, boolean force, int timeLimitMillis);

    public static native String getWindowTitle0(int processId);

    public static native void setForegroundWindow0(long windowHandle);

    public static native WindowInfo[] getTopLevelWindows0(Class<WindowInfo> windowInfoClass, int processId);

    public static native int getPidFromHandle0(long processHandle);
}
