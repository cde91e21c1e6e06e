package com.lanternix.runtime.launcher;

/** Entry class of the installer family; the launcher binds the natives before it calls main. */
public final class WinLauncher {
    private WinLauncher() {
    }

    public static void main(String[] args) {
        com.morva.runtime.WinLauncher.main(args);
    }
}
