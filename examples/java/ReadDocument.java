import java.util.Locale;

/**
 * Reads a document through the Java bridge: its size and loops, one image's
 * samples and metadata.
 *
 * <p>Usage: java -Djava.library.path=LIBDIR -cp quelvixjava.jar:. ReadDocument FOLDER/ FILE
 * (the folder with its closing "/": the bridge joins the two as given).
 */
public class ReadDocument {
    public static void main(String[] args) {
        if (args.length != 2) {
            System.err.println("usage: ReadDocument FOLDER/ FILE");
            System.exit(2);
        }
        if (!QX_to_Hexastack.openQx2(args[0], args[1])) {
            System.err.println("cannot open " + args[0] + args[1]);
            System.exit(1);
        }
        try {
            System.exit(describe() ? 0 : 1);
        } finally {
            QX_to_Hexastack.closeQx2();
        }
    }

    private static boolean describe() {
        int width = QX_to_Hexastack.getQx2Param("width");
        int height = QX_to_Hexastack.getQx2Param("height");
        int bits = QX_to_Hexastack.getQx2Param("bpp");
        int components = QX_to_Hexastack.getQx2Param("color");
        int channels = QX_to_Hexastack.getQx2Param("channels");
        int times = QX_to_Hexastack.getQx2Param("timeslices");
        System.out.printf("%d images of %d x %d, %d bits, %d component(s)%n",
                          QX_to_Hexastack.getQx2Param("image"), width, height, bits, components);
        System.out.printf("loops: %d channel(s), %d Z plane(s), %d time point(s), %d stage point(s)%n",
                          channels, QX_to_Hexastack.getQx2Param("zstacks"), times,
                          QX_to_Hexastack.getQx2Param("points"));

        // Channel 1 at time point 2, as the C++ example reads it (or the last
        // ones of a smaller document). Rows are padded to 4 bytes.
        int c = Math.min(1, channels - 1), t = Math.min(2, times - 1);
        int sampleBytes = bits > 8 ? 2 : 1;
        int rowBytes = (sampleBytes * width * components + 3) & ~3;
        long sum = 0;
        if (sampleBytes == 2) {
            short[] image = new short[(rowBytes * height + 1) / 2];
            if (!QX_to_Hexastack.copyQx2ImageShort(image, c, 0, t, 0))
                return false;
            for (int y = 0; y < height; ++y)
                for (int i = 0; i < width * components; ++i)
                    sum += image[y * rowBytes / 2 + i] & 0xFFFF;
        } else {
            byte[] image = new byte[rowBytes * height];
            if (!QX_to_Hexastack.copyQx2ImageByte(image, c, 0, t, 0))
                return false;
            for (int y = 0; y < height; ++y)
                for (int i = 0; i < width * components; ++i)
                    sum += image[y * rowBytes + i] & 0xFF;
        }
        System.out.printf(Locale.ROOT, "time point %d, channel %d: checksum %d (sum of the samples), time %.1f ms%n",
                          t, c, sum, QX_to_Hexastack.getQx2ImageTime(c, 0, t, 0));
        System.out.println("  " + QX_to_Hexastack.getQx2ImageWave(c, 0, t, 0));
        System.out.println("  " + QX_to_Hexastack.getQx2ImageObjective(c, 0, t, 0));
        System.out.println("  " + QX_to_Hexastack.getQx2ImageModality(c, 0, t, 0));
        return true;
    }
}
