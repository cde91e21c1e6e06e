package com.lanternix.runtime.installer.platform.win32;

/** Windows services; every method answers with a result code instead of throwing. */
public final class Win32Services {
    private Win32Services() {
    }

    public static native int installService0(String serviceName, String displayName, String executablePath);

    public static native int changeServiceConfig0(String serviceName, String displayName, String executablePath,
            int serviceType, int startType, String dependencies, String account, String password,
            String description);

    public static native int setRestartServiceConfig0(String serviceName, boolean restart, int restartDelayMillis);

    public static native int setDelayedAutoStart0(String serviceName, boolean delayed);

    public static native int stopService0(String serviceName, int timeLimitMillis);

    public static native int startService0(String serviceName, String[] arguments);

    public static native int uninstallService0(String serviceName);

    public static native int queryStatus0(String serviceName);

    public static native int getStartType0(String serviceName);

    public static native String getServiceBinary0(String serviceName);
}
