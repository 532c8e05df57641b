/**
 * Reads QX2 and JPEG 2000 documents for an image viewer through the native
 * library quelvixjava. One document is open at a time, for the whole
 * process; call from one thread at a time.
 *
 * <p>An image is chosen by its channel c, Z position z, time point t and
 * stage point p; a coordinate of a loop the document lacks is ignored.
 * Calls without an open document, with a coordinate out of range or with an
 * array of the wrong size fail quietly: false, -1, 0.0 or "".
 */
public class QX_to_Hexastack {
    static {
        System.loadLibrary("quelvixjava");
    }

    /** Opens folder + fileName (joined as given); false while one is open. */
    public static native boolean openQx2(String folder, String fileName);

    /**
     * "width", "height", "image" (image count), "color" (components), "dim"
     * (loop count), "bpp", "channels", "zstacks", "timeslices", "points";
     * 0 for another key, -1 without a document.
     */
    public static native int getQx2Param(String key);

    /** The image as stored: rows of widthBytes bytes. */
    public static native boolean copyQx2ImageByte(byte[] destination, int c, int z, int t, int p);

    /** 16-bit images: rows of widthBytes / 2 samples. */
    public static native boolean copyQx2ImageShort(short[] destination, int c, int z, int t, int p);

    /**
     * 8-bit three-component images: width x height ints; bits 16-23 take the
     * first sample, 0-7 the second, 8-15 the third; bits 24-31 are kept.
     */
    public static native boolean copyQx2ImageInt(int[] destination, int c, int z, int t, int p);

    /**
     * 8-bit three-component images: width x height bytes each; first takes
     * the first sample, third the second and second the third.
     */
    public static native boolean copyQx2ImageRGB(byte[] first, byte[] second, byte[] third,
                                                 int c, int z, int t, int p);

    /** "(x, y, z) nm". */
    public static native String getQx2ImagePoint(int c, int z, int t, int p);

    /** Milliseconds since the start of the acquisition. */
    public static native double getQx2ImageTime(int c, int z, int t, int p);

    public static native double getQx2ImageZPos(int c, int z, int t, int p);

    /** "Wave:<emission>nm(<channel description>)". */
    public static native String getQx2ImageWave(int c, int z, int t, int p);

    /** "Obj:<name>,mag=<m>,NA=<na>,RI=<ri>". */
    public static native String getQx2ImageObjective(int c, int z, int t, int p);

    /** "Modality:" and the channel's imaging modality. */
    public static native String getQx2ImageModality(int c, int z, int t, int p);

    /** Closes the open document, if any; always true. */
    public static native boolean closeQx2();
}
