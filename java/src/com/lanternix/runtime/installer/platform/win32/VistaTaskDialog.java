package com.lanternix.runtime.installer.platform.win32;

/** A task dialog with custom buttons and an optional check box. */
public final class VistaTaskDialog {
    private VistaTaskDialog() {
    }

    public static native int show0(long parentWindow, String windowTitle, String mainInstruction, String content,
            int flags, int mainIcon, int width, String verificationText, String[] buttonLabels,
            int defaultButton);
}
