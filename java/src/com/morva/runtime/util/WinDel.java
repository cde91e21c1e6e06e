package com.morva.runtime.util;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStreamWriter;
import java.io.Writer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.attribute.BasicFileAttributes;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;
import java.util.regex.Pattern;

/**
 * Removes the launcher's temporary files after the Java program has ended. A running
 * program cannot delete the files it still uses (its runtime, its jars), so it writes a
 * list of them and starts a copy of the launcher in its temp-cleanup mode, which waits
 * until the semaphore this process's launcher holds is gone and then deletes them. That
 * copy may run elevated after an unbounded wait, so only a directory the launcher made for
 * this run is handed to it.
 */
public final class WinDel {
    /** The launcher executable, set by the launcher: it provides the temp-cleanup mode. */
    public static volatile String externalExecutable;

    /** No restart handling: what cannot be deleted stays. */
    public static final String MODE_NONE = "";
    /** Leftovers are deleted at the next restart; the user is asked whether to restart now. */
    public static final String MODE_REBOOT_DELETION = "reboot_deletion";
    /** Leftovers are deleted at the next restart, which follows at once. */
    public static final String MODE_FORCE_REBOOT = "force_reboot";

    static final String TEMP_CLEANUP_ARGUMENT = "__lnx_windel";
    private static final String END_OF_MESSAGE = "EOSMARKER";
    private static final String LINE_END = "\r\n";
    private static final boolean WINDOWS = File.separatorChar == '\\';
    /**
     * The last name of a directory the launcher makes for a run: "mrv", 1 to 4 hexadecimal
     * digits and ".tmp" (the system's unique name), or "mrv" and a decimal number when the
     * system gave none; then "_dir" and a decimal number that may be negative.
     */
    private static final Pattern TEMP_DIR_NAME =
            Pattern.compile("mrv(?:[0-9A-Fa-f]{1,4}\\.tmp|[0-9]{1,10})_dir-?[0-9]{1,10}");

    /** Reads the attributes of a path itself: a link or junction is not followed. */
    interface AttributeReader {
        BasicFileAttributes read(Path path) throws IOException;
    }

    private static final AttributeReader OWN_ATTRIBUTES =
            path -> Files.readAttributes(path, BasicFileAttributes.class, LinkOption.NOFOLLOW_LINKS);

    private WinDel() {
    }

    /**
     * Has the launcher's temporary directory (property morva.tempDir) and the file that
     * named it removed once this process has ended. Returns the list file handed to the
     * cleanup copy, or null when there is nothing to hand over: no executable, no semaphore
     * to wait for (property morva.semaphoreName: without it the copy would delete at once,
     * while the launcher still runs), or a directory the launcher did not name as its own
     * (a language restart passes the current directory).
     */
    public static File removeTempDirAfterExit() throws IOException {
        return removeTempDirAfterExit(System.getProperty("morva.tempDir"), System.getProperty("morva.semaphoreName"),
                externalExecutable, null);
    }

    /** As above; the list is written to listDirectory (null: the system's temporary directory). */
    static File removeTempDirAfterExit(String tempDir, String semaphoreName, String executable, File listDirectory)
            throws IOException {
        if (isEmpty(tempDir) || isEmpty(semaphoreName) || isEmpty(executable)) {
            return null;
        }
        File directory = new File(tempDir);
        if (!isTempDirName(directory.getName())) {
            return null;
        }
        List<File> files = new ArrayList<>();
        List<File> directories = new ArrayList<>();
        File nameFile = tempDirNameFile(tempDir);
        if (nameFile != null) {
            files.add(nameFile);
        }
        collectTree(directory, files, directories, OWN_ATTRIBUTES);
        File list = File.createTempFile("lnxdel", ".txt", listDirectory);
        boolean started = false;
        try {
            writeList(list, semaphoreName, MODE_NONE, "", "", files, directories);
            new ProcessBuilder(cleanupCommand(executable, list, WINDOWS)).inheritIO().start();
            started = true;
        } finally {
            if (!started) {
                Files.deleteIfExists(list.toPath()); // made above; no copy will read it
            }
        }
        return list;
    }

    /** Whether name is the last name of a directory the launcher made for a run. */
    static boolean isTempDirName(String name) {
        return TEMP_DIR_NAME.matcher(name).matches();
    }

    /**
     * The command that starts the cleanup copy. On Windows both paths are put in double
     * quotes, which no path holds: the runtime passes an argument that is already quoted on
     * as it is, so the copy's command line reads "<exe>" __lnx_windel "<list>". Its grammar
     * groups quoted text whole; unquoted, an apostrophe in a path (C:\Users\O'Brien) would
     * open a group of its own.
     */
    static List<String> cleanupCommand(String executable, File list, boolean windows) {
        String path = list.getPath();
        return windows ? Arrays.asList(quoted(executable), TEMP_CLEANUP_ARGUMENT, quoted(path))
                : Arrays.asList(executable, TEMP_CLEANUP_ARGUMENT, path);
    }

    /**
     * Writes a temp-cleanup list: UTF-16LE lines naming the semaphore to wait for (empty:
     * no wait), the mode with the restart question and the text shown when a restart
     * fails, the files and then the directories (children before their parents).
     */
    public static void writeList(File list, String semaphoreName, String mode, String restartQuestion,
            String restartFailedText, List<File> files, List<File> directories) throws IOException {
        checkLine("semaphore name", semaphoreName);
        checkLine("mode", mode);
        List<String> lines = new ArrayList<>();
        lines.add(semaphoreName);
        lines.add(mode);
        if (!mode.isEmpty()) {
            // An empty mode line already ends the section: no message blocks follow it.
            addMessage(lines, restartQuestion);
            addMessage(lines, restartFailedText);
        }
        for (File file : files) {
            lines.add(pathLine(file));
        }
        lines.add("");
        for (File directory : directories) {
            lines.add(pathLine(directory));
        }
        try (Writer out = new OutputStreamWriter(new FileOutputStream(list), StandardCharsets.UTF_16LE)) {
            for (String line : lines) {
                out.write(line);
                out.write(LINE_END);
            }
        }
    }

    /** The unique file that named the directory ("name_dir123" names "name"), or null. */
    static File tempDirNameFile(String tempDir) {
        String trimmed = tempDir.endsWith("\\") || tempDir.endsWith("/")
                ? tempDir.substring(0, tempDir.length() - 1) : tempDir;
        int marker = trimmed.lastIndexOf("_dir");
        if (marker <= 0) {
            return null;
        }
        String number = trimmed.substring(marker + 4);
        if (number.startsWith("-")) {
            number = number.substring(1);
        }
        if (number.isEmpty() || !number.chars().allMatch(Character::isDigit)) {
            return null;
        }
        return new File(trimmed.substring(0, marker));
    }

    /**
     * Lists entry: a plain directory with its tree, children before their parents; a link or
     * a junction itself, never followed (what it points to is not the launcher's). What
     * vanishes meanwhile is passed over.
     */
    static void collectTree(File entry, List<File> files, List<File> directories, AttributeReader attributes)
            throws IOException {
        Path path = entry.toPath();
        BasicFileAttributes own;
        try {
            own = attributes.read(path);
        } catch (NoSuchFileException vanished) {
            return;
        }
        // On Windows a junction reads as a directory that is "other" rather than a link.
        if (own.isDirectory() && !own.isSymbolicLink() && !own.isOther()) {
            File[] children = entry.listFiles();
            if (children != null) {
                List<File> sorted = new ArrayList<>();
                Collections.addAll(sorted, children);
                Collections.sort(sorted);
                for (File child : sorted) {
                    collectTree(child, files, directories, attributes);
                }
            }
            directories.add(entry);
        } else if (own.isDirectory() || (own.isSymbolicLink() && Files.isDirectory(path))) {
            directories.add(entry); // a junction or a link to a directory is removed as a directory
        } else {
            files.add(entry);
        }
    }

    private static boolean isEmpty(String text) {
        return text == null || text.isEmpty();
    }

    private static String quoted(String text) {
        return '"' + text + '"';
    }

    private static void addMessage(List<String> lines, String message) {
        for (String line : message.isEmpty() ? new String[0] : message.split("\r?\n", -1)) {
            if (line.startsWith(END_OF_MESSAGE)) {
                throw new IllegalArgumentException("a message line may not begin with " + END_OF_MESSAGE);
            }
            lines.add(line);
        }
        lines.add(END_OF_MESSAGE);
    }

    private static String pathLine(File file) {
        String path = file.getPath();
        if (path.isEmpty()) {
            throw new IllegalArgumentException("an empty path would end the section");
        }
        checkLine("path", path);
        return path;
    }

    private static void checkLine(String what, String text) {
        if (text.indexOf('\n') >= 0 || text.indexOf('\r') >= 0) {
            throw new IllegalArgumentException("the " + what + " must be one line: " + text);
        }
    }
}
