package com.lanternix.api.windows;

/** Value types of the registry that have no plain Java counterpart. */
public final class WinRegistry {
    private WinRegistry() {
    }

    /** A REG_EXPAND_SZ value; it stays apart from a String so that writing it back keeps its type. */
    public static final class ExpandString {
        public final String value;

        public ExpandString(String value) {
            this.value = value;
        }

        @Override
        public String toString() {
            return value;
        }
    }
}
