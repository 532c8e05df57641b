import java.io.ByteArrayOutputStream;
import java.io.File;
import java.io.InputStream;
import java.text.DecimalFormatSymbols;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Map;

/**
 * QX_to_Hexastack in a real JVM, over the documents of make_documents.
 *
 * <p>Usage: BridgeTest FIXTURE_DIR [--decimal-comma]. With --decimal-comma
 * the environment's locale must use a decimal comma (LC_ALL), which the JVM
 * hands to the process: the bridge's texts must not follow it.
 *
 * <p>Prints one line per failed check and "N passed, N failed"; exits 1 on
 * a failure.
 */
public class BridgeTest {
    private static int passed;
    private static int failed;
    private static String fixtures;

    // spectral.qx2 (shared generator): 3 channels x 10 time points, 24 x 10
    // pixels of 12 bits in 16; channel k of frame f at (x, y) holds
    // (100 + 1000 k + 97 f + 3 x + 17 y) mod 4096; frame f taken at
    // 1000 + 250 f ms.
    private static final int SPECTRAL_WIDTH = 24;
    private static final int SPECTRAL_HEIGHT = 10;
    private static final int SPECTRAL_ROW_SHORTS = 24;

    private static int spectralSample(int k, int f, int x, int y) {
        return (100 + 1000 * k + 97 * f + 3 * x + 17 * y) % 4096;
    }

    private static void check(String what, boolean ok) {
        if (ok) {
            ++passed;
        } else {
            ++failed;
            System.out.println("FAILED: " + what);
        }
    }

    private static void checkEquals(String what, Object expected, Object actual) {
        boolean ok = expected == null ? actual == null : expected.equals(actual);
        check(what + ": expected <" + expected + ">, got <" + actual + ">", ok);
    }

    private interface Case {
        void run() throws Exception;
    }

    // A case that throws fails; the bridge must never leave an exception.
    private static void run(String name, Case c) {
        try {
            c.run();
        } catch (Throwable t) {
            check(name + " threw " + t, false);
        } finally {
            QX_to_Hexastack.closeQx2();
        }
    }

    private static boolean open(String folder, String file) {
        return QX_to_Hexastack.openQx2(folder, file);
    }

    private static String dir() {
        return fixtures + "/";
    }

    private static short[] spectralFrame() {
        return new short[SPECTRAL_ROW_SHORTS * SPECTRAL_HEIGHT];
    }

    private static boolean isSpectralPlane(short[] pixels, int k, int f) {
        for (int y = 0; y < SPECTRAL_HEIGHT; ++y)
            for (int x = 0; x < SPECTRAL_WIDTH; ++x)
                if (pixels[y * SPECTRAL_ROW_SHORTS + x] != spectralSample(k, f, x, y))
                    return false;
        return true;
    }

    private static void withoutDocument() {
        checkEquals("image before open", -1, QX_to_Hexastack.getQx2Param("image"));
        check("byte copy before open", !QX_to_Hexastack.copyQx2ImageByte(new byte[4096], 0, 0, 0, 0));
        check("short copy before open", !QX_to_Hexastack.copyQx2ImageShort(new short[4096], 0, 0, 0, 0));
        check("int copy before open", !QX_to_Hexastack.copyQx2ImageInt(new int[4096], 0, 0, 0, 0));
        check("RGB copy before open", !QX_to_Hexastack.copyQx2ImageRGB(new byte[64], new byte[64],
                                                                        new byte[64], 0, 0, 0, 0));
        checkEquals("time before open", 0.0, QX_to_Hexastack.getQx2ImageTime(0, 0, 0, 0));
        checkEquals("Z before open", 0.0, QX_to_Hexastack.getQx2ImageZPos(0, 0, 0, 0));
        checkEquals("point before open", "", QX_to_Hexastack.getQx2ImagePoint(0, 0, 0, 0));
        checkEquals("wave before open", "", QX_to_Hexastack.getQx2ImageWave(0, 0, 0, 0));
        checkEquals("objective before open", "", QX_to_Hexastack.getQx2ImageObjective(0, 0, 0, 0));
        checkEquals("modality before open", "", QX_to_Hexastack.getQx2ImageModality(0, 0, 0, 0));
        check("close before open", QX_to_Hexastack.closeQx2());
    }

    private static void opening() {
        check("folder without a trailing slash", !open(fixtures, "spectral.qx2"));
        check("a file that does not exist", !open(dir(), "missing.qx2"));
        check("a folder for a file", !open(dir(), ""));
        check("empty path", !open("", ""));
        check("null folder", !open(null, "spectral.qx2"));
        check("null file name", !open(dir(), null));
        check("U+0000 inside the path", !open(dir(), "spectral.qx2\u0000ignored"));
        check("a path of 5000 characters", !open(dir() + "x".repeat(5000) + "/", "spectral.qx2"));
        check("open", open(dir(), "spectral.qx2"));
        check("second open while one is open", !open(dir(), "spectral.qx2"));
        checkEquals("the first stays open", 30, QX_to_Hexastack.getQx2Param("image"));
    }

    private static void parameters() {
        check("open", open(dir(), "spectral.qx2"));
        String[] keys = {"image", "channels", "timeslices", "zstacks", "points", "bogus",
                         "dim", "width", "height", "bpp", "color", "", "Width", "width ",
                         "image\u0000"};
        int[] values = {30, 3, 10, 1, 1, 0, 2, 24, 10, 12, 1, 0, 0, 0, 0};
        for (int i = 0; i < keys.length; ++i)
            checkEquals("param \"" + keys[i] + "\"", values[i], QX_to_Hexastack.getQx2Param(keys[i]));
        checkEquals("param null", -1, QX_to_Hexastack.getQx2Param(null));
        checkEquals("a long key", 0, QX_to_Hexastack.getQx2Param("k".repeat(100000)));
    }

    private static void copies() {
        check("open", open(dir(), "spectral.qx2"));
        short[] plane = spectralFrame();
        check("short copy (c 2, t 4)", QX_to_Hexastack.copyQx2ImageShort(plane, 2, 0, 4, 0));
        check("plane 2 of frame 4", isSpectralPlane(plane, 2, 4));
        for (int k = 0; k < 3; ++k)
            for (int t = 0; t < 10; t += 9) {
                short[] other = spectralFrame();
                check("short copy c " + k + " t " + t, QX_to_Hexastack.copyQx2ImageShort(other, k, 0, t, 0)
                        && isSpectralPlane(other, k, t));
            }
        byte[] bytes = new byte[2 * SPECTRAL_ROW_SHORTS * SPECTRAL_HEIGHT];
        check("byte copy (c 1, t 3)", QX_to_Hexastack.copyQx2ImageByte(bytes, 1, 0, 3, 0));
        int s = spectralSample(1, 3, 0, 0);
        check("byte copy little-endian samples", (bytes[0] & 0xFF) == (s & 0xFF) && (bytes[1] & 0xFF) == (s >> 8));

        for (int t = 0; t < 10; t += 3)
            checkEquals("time of c 2, t " + t, 1000.0 + 250.0 * t, QX_to_Hexastack.getQx2ImageTime(2, 0, t, 0));

        // Coordinates out of range.
        int[][] outside = {{3, 0, 0, 0}, {-1, 0, 0, 0}, {0, 0, 10, 0}, {0, 0, -1, 0},
                           {Integer.MAX_VALUE, 0, 0, 0}, {0, 0, Integer.MIN_VALUE, 0}};
        for (int[] at : outside) {
            String where = "(c " + at[0] + ", t " + at[2] + ")";
            short[] untouched = spectralFrame();
            Arrays.fill(untouched, (short) 0x5A5A);
            check("copy at " + where, !QX_to_Hexastack.copyQx2ImageShort(untouched, at[0], at[1], at[2], at[3]));
            check("array untouched at " + where, untouched[0] == 0x5A5A);
            checkEquals("time at " + where, 0.0, QX_to_Hexastack.getQx2ImageTime(at[0], at[1], at[2], at[3]));
            checkEquals("wave at " + where, "", QX_to_Hexastack.getQx2ImageWave(at[0], at[1], at[2], at[3]));
            checkEquals("point at " + where, "", QX_to_Hexastack.getQx2ImagePoint(at[0], at[1], at[2], at[3]));
        }

        // Loops the document lacks ignore their coordinates.
        short[] z0 = spectralFrame();
        short[] z5 = spectralFrame();
        check("z 0", QX_to_Hexastack.copyQx2ImageShort(z0, 1, 0, 2, 0));
        check("z 5", QX_to_Hexastack.copyQx2ImageShort(z5, 1, 5, 2, 0));
        check("z 0 and z 5 the same image", Arrays.equals(z0, z5) && isSpectralPlane(z0, 1, 2));
        short[] p7 = spectralFrame();
        check("p -7 ignored", QX_to_Hexastack.copyQx2ImageShort(p7, 1, 0, 2, -7) && Arrays.equals(z0, p7));
    }

    private static void sizesAndFormats() {
        check("open", open(dir(), "spectral.qx2"));
        byte[] shortBytes = new byte[2 * SPECTRAL_ROW_SHORTS * SPECTRAL_HEIGHT - 1];
        Arrays.fill(shortBytes, (byte) 7);
        check("byte array one element short", !QX_to_Hexastack.copyQx2ImageByte(shortBytes, 0, 0, 0, 0));
        check("short byte array untouched", shortBytes[0] == 7);
        short[] shortShorts = new short[SPECTRAL_ROW_SHORTS * SPECTRAL_HEIGHT - 1];
        check("short array one element short", !QX_to_Hexastack.copyQx2ImageShort(shortShorts, 0, 0, 0, 0));
        check("longer short array", QX_to_Hexastack.copyQx2ImageShort(new short[10000], 0, 0, 0, 0));
        check("int copy of 16-bit mono", !QX_to_Hexastack.copyQx2ImageInt(new int[10000], 0, 0, 0, 0));
        check("RGB copy of 16-bit mono", !QX_to_Hexastack.copyQx2ImageRGB(new byte[10000], new byte[10000],
                                                                          new byte[10000], 0, 0, 0, 0));
        check("null byte array", !QX_to_Hexastack.copyQx2ImageByte(null, 0, 0, 0, 0));
        check("null short array", !QX_to_Hexastack.copyQx2ImageShort(null, 0, 0, 0, 0));
        check("null int array", !QX_to_Hexastack.copyQx2ImageInt(null, 0, 0, 0, 0));
        check("null RGB arrays", !QX_to_Hexastack.copyQx2ImageRGB(new byte[10000], null, new byte[10000], 0, 0, 0, 0));
        check("empty byte array", !QX_to_Hexastack.copyQx2ImageByte(new byte[0], 0, 0, 0, 0));
        QX_to_Hexastack.closeQx2();

        check("open rgb102030.qx2", open(dir(), "rgb102030.qx2"));
        int[] ints = new int[3 * 2];
        Arrays.fill(ints, 0x7F000000);
        check("int copy", QX_to_Hexastack.copyQx2ImageInt(ints, 0, 0, 0, 0));
        checkEquals("first int", 0x7F0A1E14, ints[0]);
        boolean allInts = true;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                int s0 = 10 + 40 * x + 80 * y, s1 = s0 + 10, s2 = s0 + 20;
                allInts &= ints[y * 3 + x] == (0x7F000000 | s0 << 16 | s2 << 8 | s1);
            }
        check("every int", allInts);
        byte[] first = new byte[6], second = new byte[6], third = new byte[6];
        check("RGB copy", QX_to_Hexastack.copyQx2ImageRGB(first, second, third, 0, 0, 0, 0));
        check("RGB first pixel: 10, 30, 20", first[0] == 10 && second[0] == 30 && third[0] == 20);
        check("RGB last pixel", (first[5] & 0xFF) == 170 && (second[5] & 0xFF) == 190 && (third[5] & 0xFF) == 180);
        int[] fewInts = new int[5];
        check("int array one element short", !QX_to_Hexastack.copyQx2ImageInt(fewInts, 0, 0, 0, 0));
        check("short int array untouched", fewInts[0] == 0);
        check("RGB third array one element short",
              !QX_to_Hexastack.copyQx2ImageRGB(new byte[6], new byte[6], new byte[5], 0, 0, 0, 0));
        check("byte copy of the colour image", QX_to_Hexastack.copyQx2ImageByte(new byte[12 * 2], 0, 0, 0, 0));
        check("byte copy one short", !QX_to_Hexastack.copyQx2ImageByte(new byte[12 * 2 - 1], 0, 0, 0, 0));
    }

    private static void metadataTexts() {
        check("open modalities.qx2", open(dir(), "modalities.qx2"));
        checkEquals("channels", 8, QX_to_Hexastack.getQx2Param("channels"));
        checkEquals("point", "(1.50, -2.25, 10.00) nm", QX_to_Hexastack.getQx2ImagePoint(0, 0, 0, 0));
        checkEquals("Z position", 10.0, QX_to_Hexastack.getQx2ImageZPos(0, 0, 0, 0));
        checkEquals("wave", "Wave:509.00nm(GFP)", QX_to_Hexastack.getQx2ImageWave(0, 0, 0, 0));
        checkEquals("objective", "Obj:Oil 60x,mag=60.00,NA=1.40,RI=1.52",
                    QX_to_Hexastack.getQx2ImageObjective(0, 0, 0, 0));
        String[] modalities = {"Widefield Fluorescence", "Brightfield", "Laser Scanning Confocal",
                               " Spinning Disk Confocal", "Swept Field Confocal",
                               "Multi Photon Fluorescence", "Multi Photon Fluorescence",
                               "Widefield Fluorescence"};
        for (int c = 0; c < modalities.length; ++c)
            checkEquals("modality of channel " + c, "Modality:" + modalities[c],
                        QX_to_Hexastack.getQx2ImageModality(c, 0, 0, 0));
        checkEquals("wave of channel 3", "Wave:510.00nm(Channel 3)", QX_to_Hexastack.getQx2ImageWave(3, 0, 0, 0));
        checkEquals("a name beyond the BMP", "Wave:570.00nm(Kanal 6 \u2013 \u00b5m \uD83D\uDD2C)",
                    QX_to_Hexastack.getQx2ImageWave(6, 0, 0, 0));
        // A name of 1100 units ends at 1023 of them.
        checkEquals("a long name", "Wave:590.00nm(" + "0123456789".repeat(103).substring(0, 1023) + ")",
                    QX_to_Hexastack.getQx2ImageWave(7, 0, 0, 0));
        checkEquals("modality past the channels", "", QX_to_Hexastack.getQx2ImageModality(8, 0, 0, 0));
        byte[] plane = new byte[8 * 4];
        check("byte copy of channel 5", QX_to_Hexastack.copyQx2ImageByte(plane, 5, 0, 0, 0));
        check("channel 5 samples", plane[0] == 100 && plane[8 + 5] == 100 + 5 + 7);
    }

    private static void fiveLoops() {
        check("open fiveloops.qx2", open(dir(), "fiveloops.qx2"));
        String[] keys = {"image", "dim", "channels", "zstacks", "timeslices", "points"};
        int[] values = {48, 5, 2, 3, 2, 2};
        for (int i = 0; i < keys.length; ++i)
            checkEquals("five loops " + keys[i], values[i], QX_to_Hexastack.getQx2Param(keys[i]));
        boolean all = true;
        for (int t = 0; t < 2; ++t)
            for (int p = 0; p < 2; ++p)
                for (int z = 0; z < 3; ++z)
                    for (int c = 0; c < 2; ++c) {
                        short[] pixels = new short[6 * 3];
                        // The polar loop between Z and the channels is not
                        // addressed: its first item.
                        int frame = ((t * 2 + p) * 3 + z) * 2;
                        boolean ok = QX_to_Hexastack.copyQx2ImageShort(pixels, c, z, t, p);
                        for (int y = 0; y < 3; ++y)
                            for (int x = 0; x < 5; ++x)
                                ok &= (pixels[y * 6 + x] & 0xFFFF) == 100 * frame + 10000 * c + x + 5 * y;
                        check("five loops (c " + c + ", z " + z + ", t " + t + ", p " + p + ")", ok);
                        all &= ok;
                    }
        check("five loops z 3", !QX_to_Hexastack.copyQx2ImageShort(new short[18], 0, 3, 0, 0));
        check("five loops p 2", !QX_to_Hexastack.copyQx2ImageShort(new short[18], 0, 0, 0, 2));
    }

    private static void foldersAndNames() {
        StringBuilder nested = new StringBuilder("nested");
        for (int i = 0; i < 5; ++i)
            nested.append("/segment").append(i).append('-').append("x".repeat(55));
        String[] folders = {"donn\u00e9es", "\uD83D\uDCC1 folder", nested.toString()};
        for (String folder : folders) {
            String path = dir() + folder + "/";
            check("open under " + folder, open(path, "spectral.qx2"));
            short[] plane = spectralFrame();
            check("copy under " + folder, QX_to_Hexastack.copyQx2ImageShort(plane, 2, 0, 4, 0)
                    && isSpectralPlane(plane, 2, 4));
            QX_to_Hexastack.closeQx2();
        }
        check("the nested path is over 300 characters", (dir() + nested).length() > 300);
        // Composed and decomposed é are different file names.
        check("decomposed e-acute", !open(dir() + "donne\u0301es/", "spectral.qx2"));
    }

    private static void closing() {
        check("open", open(dir(), "spectral.qx2"));
        check("close", QX_to_Hexastack.closeQx2());
        check("close again", QX_to_Hexastack.closeQx2());
        checkEquals("image after close", -1, QX_to_Hexastack.getQx2Param("image"));
        check("copy after close", !QX_to_Hexastack.copyQx2ImageShort(spectralFrame(), 0, 0, 0, 0));
        check("open another", open(dir(), "modalities.qx2"));
        checkEquals("its image count", 8, QX_to_Hexastack.getQx2Param("image"));
        checkEquals("its loops", 1, QX_to_Hexastack.getQx2Param("timeslices"));
    }

    // The open trace line, from a JVM of its own: on stderr only with
    // QUELVIX_DEBUG_STDERR=1.
    private static String childStderr(boolean debug) throws Exception {
        String java = System.getProperty("java.home") + File.separator + "bin" + File.separator + "java";
        List<String> command = new ArrayList<>(List.of(java, "-Xcheck:jni",
                "-Djava.library.path=" + System.getProperty("java.library.path"),
                "-cp", System.getProperty("java.class.path"), "BridgeTest", fixtures, "--open-only"));
        ProcessBuilder builder = new ProcessBuilder(command);
        Map<String, String> env = builder.environment();
        env.remove("QUELVIX_DEBUG_STDERR");
        if (debug)
            env.put("QUELVIX_DEBUG_STDERR", "1");
        builder.redirectOutput(ProcessBuilder.Redirect.DISCARD);
        Process child = builder.start();
        ByteArrayOutputStream err = new ByteArrayOutputStream();
        try (InputStream in = child.getErrorStream()) {
            in.transferTo(err);
        }
        check("child JVM exit status", child.waitFor() == 0);
        return err.toString("UTF-8");
    }

    private static void traceLine() throws Exception {
        String expected = dir() + "spectral.qx2\r\nw=24, h=10, bpp=12, comp=1, wbytes=48, images=30, "
                + "ch=3, z=1, t=10, pnt=1\r\nid=0(0, 0, 0, 0)";
        String withTrace = childStderr(true);
        check("trace line with QUELVIX_DEBUG_STDERR=1: " + withTrace, withTrace.contains(expected));
        String without = childStderr(false);
        check("no trace line without it: " + without, !without.contains("wbytes="));
    }

    public static void main(String[] args) throws Exception {
        fixtures = args[0];
        if (args.length > 1 && args[1].equals("--open-only")) {
            System.exit(open(dir(), "spectral.qx2") && QX_to_Hexastack.closeQx2() ? 0 : 1);
        }
        if (args.length > 1 && args[1].equals("--decimal-comma"))
            check("the JVM took a decimal-comma locale",
                  DecimalFormatSymbols.getInstance().getDecimalSeparator() == ',');

        run("without a document", BridgeTest::withoutDocument);
        run("opening", BridgeTest::opening);
        run("parameters", BridgeTest::parameters);
        run("copies", BridgeTest::copies);
        run("sizes and formats", BridgeTest::sizesAndFormats);
        run("metadata texts", BridgeTest::metadataTexts);
        run("five loops", BridgeTest::fiveLoops);
        run("folders and names", BridgeTest::foldersAndNames);
        run("closing", BridgeTest::closing);
        run("trace line", BridgeTest::traceLine);
        run("without a document again", BridgeTest::withoutDocument);

        System.out.println(passed + " passed, " + failed + " failed");
        System.exit(failed == 0 ? 0 : 1);
    }
}
