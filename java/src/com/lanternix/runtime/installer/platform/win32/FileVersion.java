package com.lanternix.runtime.installer.platform.win32;

/** Compares the version resources of two files. */
public final class FileVersion {
    private FileVersion() {
    }

    public static native int compare0(String firstPath, String secondPath);
}
