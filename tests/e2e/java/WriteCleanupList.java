import com.morva.runtime.util.WinDel;
import java.io.File;
import java.util.ArrayList;
import java.util.List;

/**
 * Writes a temp-cleanup list with the Java side's own writer, for the launcher's cleanup
 * copy to read: WriteCleanupList LIST SEMAPHORE FILE... --directories DIRECTORY...
 * (run in source-file mode with lnxruntime.jar on the class path).
 */
public class WriteCleanupList {
    public static void main(String[] args) throws Exception {
        List<File> files = new ArrayList<>();
        List<File> directories = new ArrayList<>();
        List<File> into = files;
        for (int index = 2; index < args.length; ++index) {
            if (args[index].equals("--directories")) {
                into = directories;
            } else {
                into.add(new File(args[index]));
            }
        }
        WinDel.writeList(new File(args[0]), args[1], WinDel.MODE_NONE, "", "", files, directories);
    }
}
