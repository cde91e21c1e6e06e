package com.lanternix.runtime.installer.platform.win32;

/** Grants access to files, directories and registry keys. */
public final class ACLHandling {
    private ACLHandling() {
    }

    public static native boolean addACE(String path, boolean registryKey, boolean read, boolean write,
            boolean execute, boolean all, int principalType, String principal);
}
