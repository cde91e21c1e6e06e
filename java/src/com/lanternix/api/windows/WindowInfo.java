package com.lanternix.api.windows;

/** A visible top-level window, as the native window listing describes it. */
public final class WindowInfo {
    public final long handle;
    public final int style;
    public final String className;
    public final String title;

    public WindowInfo(long handle, int style, String className, String title) {
        this.handle = handle;
        this.style = style;
        this.className = className;
        this.title = title;
    }
}
