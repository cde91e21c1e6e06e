package com.lanternix.runtime.installer.platform.win32;

/** What the launcher told the Java side about the natives of this package. */
public final class Common {
    // The launcher says true just before it binds the natives and false when binding failed;
    // without a launcher nobody calls, so the natives count as unbound.
    private static volatile boolean launcherNatives;

    private Common() {
    }

    public static void initFromLauncher(boolean bound) {
        launcherNatives = bound;
    }

    public static boolean hasLauncherNatives() {
        return launcherNatives;
    }
}
