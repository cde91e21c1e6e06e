package com.lanternix.runtime.installer.platform.win32;

/** Shortcut files and shell notifications. */
public final class ShellLink {
    private ShellLink() {
    }

    public static native boolean createWide0(String linkPath, String targetPath, String workingDirectory,
            String iconFile, String arguments, boolean runAsAdministrator, String description, int showCommand);

    public static native boolean changeNotify0(byte[] createdItemPath, byte[] changedDirectoryPath);

    public static native boolean initialize0();

    public static native boolean uninitialize();
}
