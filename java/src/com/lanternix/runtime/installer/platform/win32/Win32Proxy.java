package com.lanternix.runtime.installer.platform.win32;

/** The proxy settings for the installer's own network access. */
public final class Win32Proxy {
    private Win32Proxy() {
    }

    public static native int getIEConfig0(String[] result);

    public static native int getDefaultConfig0(String[] result);

    public static native long getAutoProxyConfig0(String[] result, String url, String configScriptUrl,
            int autoProxyFlags, int autoDetectFlags, boolean autoLogon);

    public static native boolean loadFunctions0();
}
