package com.morva.runtime.util;

/** Where the temporary files are removed after the Java program has ended. */
public final class WinDel {
    /** The launcher executable, set by the launcher: it provides the temp-cleanup mode. */
    public static volatile String externalExecutable;

    private WinDel() {
    }
}
