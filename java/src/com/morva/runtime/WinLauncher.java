package com.morva.runtime;

import java.io.File;
import java.io.IOException;

import com.lanternix.runtime.installer.platform.win32.Common;
import com.lanternix.runtime.installer.platform.win32.FolderInfo;
import com.lanternix.runtime.installer.platform.win32.Registry;
import com.lanternix.runtime.installer.platform.win32.Win32CommunicationBackend;
import com.morva.runtime.util.WinDel;

/**
 * Entry class of the launcher: shows what the launcher handed over (main parameters, splash
 * configuration, executable) and whether its natives answer, so a run can be checked by eye.
 */
public final class WinLauncher {
    private static final int ROOT_CURRENT_USER = 2;
    private static final int DEFAULT_VIEW = 0;

    private WinLauncher() {
    }

    public static void main(String[] args) {
        for (int index = 0; index < args.length; index++) {
            System.out.println("main parameter " + index + ": " + args[index]);
        }
        System.out.println("external executable: " + WinDel.externalExecutable);
        if (Common.hasLauncherNatives()) {
            callHarmlessNatives();
        } else {
            System.out.println("natives not bound");
        }
        removeTempDirAfterExit();
    }

    private static void removeTempDirAfterExit() {
        try {
            File list = WinDel.removeTempDirAfterExit();
            System.out.println(list == null ? "no temp cleanup: the launcher gave no temp dir or executable"
                    : "temp cleanup list: " + list);
        } catch (IOException | RuntimeException e) {
            System.out.println("temp cleanup not started: " + e);
        }
    }

    public static void initAwtSplashConfig(boolean enabled, boolean splashFlag,
            String firstText, int firstX, int firstY, String firstColour, int firstFontSize, int firstFontWeight,
            String secondText, int secondX, int secondY, String secondColour, int secondFontSize,
            int secondFontWeight) {
        System.out.println("splash: " + enabled + ", flag " + splashFlag);
        printSplashLine(1, firstText, firstX, firstY, firstColour, firstFontSize, firstFontWeight);
        printSplashLine(2, secondText, secondX, secondY, secondColour, secondFontSize, secondFontWeight);
    }

    private static void printSplashLine(int line, String text, int x, int y, String colour, int fontSize,
            int fontWeight) {
        System.out.println("splash line " + line + ": \"" + text + "\" at " + x + "," + y + " colour " + colour
                + " font " + fontSize + "/" + fontWeight);
    }

    private static void callHarmlessNatives() {
        try {
            System.out.println("process id: " + Win32CommunicationBackend.getCurrentProcessId0());
            System.out.println("windows directory: " + FolderInfo.getWindowsDirectory0());
            System.out.println("HKCU\\Software exists: "
                    + Registry.keyExists0(ROOT_CURRENT_USER, "Software", DEFAULT_VIEW));
        } catch (UnsatisfiedLinkError e) {
            // Registration stops at the first class that fails, so any of these may be unbound.
            System.out.println("natives not bound");
        }
    }
}
