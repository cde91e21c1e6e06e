package com.lanternix.runtime.installer.platform.win32;

/** The system open and save file dialogs. */
public final class VistaFileChooser {
    private VistaFileChooser() {
    }

    public static native void initialize0();

    public static native String[] displayDialog0(long parentWindow, String title, String okButtonLabel,
            String initialFolder, String initialFileName, int optionsToSet, int optionsToClear, boolean save,
            String defaultExtension, String[] filterNames, String[] filterPatterns, int filterIndex,
            String[] checkBoxLabels, boolean[] checkBoxStates);
}
