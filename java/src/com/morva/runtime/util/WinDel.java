package com.morva.runtime.util;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStreamWriter;
import java.io.Writer;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.attribute.BasicFileAttributes;
import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/**
 * Removes the launcher's temporary files after the Java program has ended. A running
 * program cannot delete the files it still uses (its runtime, its jars), so it writes a
 * list of them and starts a copy of the launcher in its temp-cleanup mode, which waits
 * until the semaphore this process's launcher holds is gone and then deletes them.
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

    private WinDel() {
    }

    /**
     * Has the launcher's temporary directory (property morva.tempDir) and the file that
     * named it removed once this process has ended. Returns the list file handed to the
     * cleanup copy, or null when the launcher gave no directory or executable.
     */
    public static File removeTempDirAfterExit() throws IOException {
        String tempDir = System.getProperty("morva.tempDir");
        String executable = externalExecutable;
        if (tempDir == null || tempDir.isEmpty() || executable == null || executable.isEmpty()) {
            return null;
        }
        File directory = new File(tempDir);
        List<File> files = new ArrayList<>();
        List<File> directories = new ArrayList<>();
        File nameFile = tempDirNameFile(tempDir);
        if (nameFile != null) {
            files.add(nameFile);
        }
        collectTree(directory, files, directories);
        File list = File.createTempFile("lnxdel", ".txt");
        writeList(list, System.getProperty("morva.semaphoreName", ""), MODE_NONE, "", "", files, directories);
        new ProcessBuilder(executable, TEMP_CLEANUP_ARGUMENT, list.getPath()).inheritIO().start();
        return list;
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
     * Files first, then directories with their children before them. A link or junction is
     * listed itself, never followed: what it points to is not the launcher's.
     */
    private static void collectTree(File directory, List<File> files, List<File> directories) throws IOException {
        File[] children = directory.listFiles();
        if (children == null) {
            return;
        }
        List<File> sorted = new ArrayList<>();
        Collections.addAll(sorted, children);
        Collections.sort(sorted);
        for (File child : sorted) {
            Path path = child.toPath();
            BasicFileAttributes attributes = Files.readAttributes(path, BasicFileAttributes.class,
                    LinkOption.NOFOLLOW_LINKS);
            if (attributes.isDirectory()) {
                collectTree(child, files, directories);
            } else if (!attributes.isRegularFile() && Files.isDirectory(path)) {
                directories.add(child); // a link to a directory is removed as a directory
            } else {
                files.add(child);
            }
        }
        directories.add(directory);
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
