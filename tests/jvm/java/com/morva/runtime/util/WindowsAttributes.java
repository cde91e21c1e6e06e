package com.morva.runtime.util;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.NoSuchFileException;
import java.nio.file.Path;
import java.nio.file.attribute.BasicFileAttributes;
import java.nio.file.attribute.FileTime;

/**
 * The attributes WinDel's walk reads on Windows, where no test can make them: a junction
 * read without following links is a directory that is "other" and no symbolic link.
 */
final class WindowsAttributes implements BasicFileAttributes {
    private final BasicFileAttributes own;

    private WindowsAttributes(BasicFileAttributes own) {
        this.own = own;
    }

    /** Names that begin with "junction" read as junctions; names that begin with "vanished" are gone. */
    static WinDel.AttributeReader reader() {
        return WindowsAttributes::read;
    }

    private static BasicFileAttributes read(Path path) throws IOException {
        String name = path.getFileName().toString();
        if (name.startsWith("vanished")) {
            throw new NoSuchFileException(path.toString());
        }
        BasicFileAttributes own = Files.readAttributes(path, BasicFileAttributes.class, LinkOption.NOFOLLOW_LINKS);
        return name.startsWith("junction") ? new WindowsAttributes(own) : own;
    }

    @Override
    public boolean isDirectory() {
        return true;
    }

    @Override
    public boolean isOther() {
        return true;
    }

    @Override
    public boolean isSymbolicLink() {
        return false;
    }

    @Override
    public boolean isRegularFile() {
        return false;
    }

    @Override
    public FileTime lastModifiedTime() {
        return own.lastModifiedTime();
    }

    @Override
    public FileTime lastAccessTime() {
        return own.lastAccessTime();
    }

    @Override
    public FileTime creationTime() {
        return own.creationTime();
    }

    @Override
    public long size() {
        return own.size();
    }

    @Override
    public Object fileKey() {
        return own.fileKey();
    }
}
