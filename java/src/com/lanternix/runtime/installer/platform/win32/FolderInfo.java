package com.lanternix.runtime.installer.platform.win32;

/** Well-known folders and path forms. */
public final class FolderInfo {
    private FolderInfo() {
    }

    public static native String getSpecialFolder0(int folderCode, boolean allUsers);

    public static native String getPathFromRegistry0(String valueName);

    public static native String getWindowsDirectory0();

    public static native String getSystemDirectory0();

    public static native int getDriveType0(String rootPath);

    public static native String getShortPathName0(String path);

    public static native String getUniversalPathName0(String path);
}
