package com.lanternix.runtime.installer.platform.win32;

/** The current user, elevation, local accounts and account rights. */
public final class Win32UserInfo {
    private Win32UserInfo() {
    }

    public static native boolean isMemberOfGroup0(int groupRelativeId);

    public static native boolean executeElevated0(String file, String parameters, String directory,
            int showCommand);

    public static native int getElevationType0();

    public static native String addUser0(String userName, String password, String comment, String groupName,
            String groupComment, boolean createGroup, boolean failIfGroupExists);

    public static native int deleteUser0(String serverName, String userName);

    public static native int deleteLocalGroup0(String serverName, String groupName);

    public static native String getAccountName0(String sid, boolean nameOnly);

    public static native String getUserProfileDirectory0(String sid, String password);

    public static native String getUserSid0();

    public static native boolean setLsaAccountRight0(String account, String rightName, boolean add);
}
