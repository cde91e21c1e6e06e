package com.lanternix.runtime.installer.platform.win32;

/** The directory object picker for users and groups. */
public final class ObjectPicker {
    private ObjectPicker() {
    }

    public static native Result[] show0(boolean multipleSelection, boolean offerGroups, boolean offerUsers,
            boolean offerWellKnownPrincipals, boolean localComputerOnly);

    /** One picked object; the native fills in null for every part the picker did not report. */
    public static final class Result {
        public final String name;
        public final String directoryPath;
        public final String objectClass;
        public final String userPrincipalName;
        public final String sid;

        public Result(String name, String directoryPath, String objectClass, String userPrincipalName,
                String sid) {
            this.name = name;
            this.directoryPath = directoryPath;
            this.objectClass = objectClass;
            this.userPrincipalName = userPrincipalName;
            this.sid = sid;
        }
    }
}
