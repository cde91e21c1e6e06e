package com.lanternix.runtime.installer.platform.win32;

/** The Windows registry: root keys by code (1 classes root to 5 current config), views as access flags. */
public final class Registry {
    private Registry() {
    }

    public static native boolean keyExists0(int root, String keyPath, int view);

    public static native boolean createKey0(int root, String keyPath, int view);

    public static native Object getValue0(int root, String keyPath, String valueName, int view);

    public static native boolean setValue0(int root, String keyPath, String valueName, Object value, int typeCode,
            int view);

    public static native void deleteValue0(int root, String keyPath, String valueName, int view);

    public static native void deleteKey0(int root, String keyPath, boolean onlyIfEmpty, int view);

    public static native boolean saveKey0(int root, String keyPath, String filePath, int view);

    public static native boolean restoreKey0(int root, String keyPath, String filePath, int view);

    public static native String[] enumSubKeys0(int root, String keyPath, int view);

    public static native String[] enumValues0(int root, String keyPath, int view);

    public static native void changeNotifyAssociations0();
}
