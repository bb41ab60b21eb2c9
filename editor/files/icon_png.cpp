// Icon images stored as PNG: checked chunk by chunk, decoded into the 32-bit form the
// canvas edits (with an AND mask from the alpha), and written again after an edit so that
// every pixel the user left alone keeps its colour and alpha exactly.
#include "files/files.h"
#include <cstdlib>
#include <cstring>
#include <zlib.h>

static const BYTE PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

static DWORD ReadBE32(const BYTE* p) {
    return (DWORD)p[0] << 24 | (DWORD)p[1] << 16 | (DWORD)p[2] << 8 | p[3];
}

bool IsPngData(const BYTE* data, size_t size) {
    return data && size >= 8 && memcmp(data, PngSignature, 8) == 0;
}

bool ReadPngHeader(const BYTE* data, size_t size, PngHeader* header) {
    // The header chunk comes first: length 13, "IHDR", then its fields.
    if (!IsPngData(data, size) || size < 8 + 8 + 13 || ReadBE32(data + 8) != 13 ||
        memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    header->Width = ReadBE32(data + 16);
    header->Height = ReadBE32(data + 20);
    header->Depth = data[24];
    header->ColourType = data[25];
    return true;
}

static DWORD CrcTable[256];

static void MakeCrcTable() {
    for (DWORD n = 0; n < 256; n++) {
        DWORD c = n;
        for (int k = 0; k < 8; k++)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        CrcTable[n] = c;
    }
}

static DWORD Crc(const BYTE* bytes, size_t count) {
    if (!CrcTable[1]) MakeCrcTable();
    DWORD c = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; i++)
        c = CrcTable[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// The chunks of the bytes present, walked from the signature: where the last whole chunk
// ends (the end chunk's end when there is one) and whether a check value was wrong, where
// the walk stops.
struct ChunkWalk {
    size_t End;
    bool Ended;    // the end chunk was reached
    bool WrongCrc; // a whole chunk had a wrong check value
};

static ChunkWalk WalkChunks(const BYTE* data, size_t size) {
    ChunkWalk walk = {8, false, false};
    if (!IsPngData(data, size)) return walk;
    while (size - walk.End >= 12) {
        DWORD length = ReadBE32(data + walk.End);
        if (length > size - walk.End - 12) break; // cut short: not a whole chunk
        const BYTE* type = data + walk.End + 4;
        if (Crc(type, 4 + (size_t)length) != ReadBE32(type + 4 + length)) {
            walk.WrongCrc = true;
            break;
        }
        walk.End += 12 + (size_t)length;
        if (memcmp(type, "IEND", 4) == 0) {
            walk.Ended = true;
            break;
        }
    }
    return walk;
}

size_t PngChunksEnd(const BYTE* data, size_t size) {
    return WalkChunks(data, size).End;
}

bool PngEnded(const BYTE* data, size_t size) {
    ChunkWalk walk = WalkChunks(data, size);
    return walk.Ended || walk.WrongCrc;
}

// The image data chunks, up to `end`, hold one whole compressed stream: it ends, and its own
// check value is right.
static bool ImageDataWhole(const BYTE* data, size_t end) {
    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK) return false;
    BYTE scratch[32768]; // the pixels are not kept: only the stream's end counts
    int result = Z_OK;
    for (size_t at = 8; at < end && result == Z_OK;) {
        DWORD length = ReadBE32(data + at);
        if (memcmp(data + at + 4, "IDAT", 4) == 0) {
            stream.next_in = (Bytef*)(data + at + 8);
            stream.avail_in = length;
            do {
                stream.next_out = scratch;
                stream.avail_out = sizeof scratch;
                result = inflate(&stream, Z_NO_FLUSH);
            } while (result == Z_OK && (stream.avail_in > 0 || stream.avail_out == 0));
            if (result == Z_BUF_ERROR) result = Z_OK; // the chunk was used up
        }
        at += 12 + (size_t)length;
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END;
}

// Every whole chunk must have its check value right; the end chunk may be missing (browsers
// show such an image) only when the image data is whole. The codecs pass over some damage (a
// wrong check value, data cut short) without a word.
static bool ChunksSound(const BYTE* data, size_t size) {
    ChunkWalk walk = WalkChunks(data, size);
    if (walk.WrongCrc) return false;
    return walk.Ended || ImageDataWhole(data, walk.End);
}

static const BYTE EndChunk[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

// The PNG as the codec is given it: its whole chunks, with the end chunk put back when it is
// missing (the codecs may refuse a PNG without one). *copy is the data itself or, when made,
// a block from malloc the caller frees.
static bool WithEndChunk(const BYTE* data, size_t size, const BYTE** whole, size_t* wholeSize,
                         BYTE** copy) {
    *copy = nullptr;
    *whole = data;
    *wholeSize = size;
    ChunkWalk walk = WalkChunks(data, size);
    if (walk.Ended) return true;
    *copy = (BYTE*)malloc(walk.End + sizeof EndChunk);
    if (!*copy) return false;
    memcpy(*copy, data, walk.End);
    memcpy(*copy + walk.End, EndChunk, sizeof EndChunk);
    *whole = *copy;
    *wholeSize = walk.End + sizeof EndChunk;
    return true;
}

static PngProblem ReadWholePngPixels(const BYTE* data, size_t size, int width, int height,
                                     bool deep, BYTE* pixels) {
    const BYTE* whole;
    size_t wholeSize;
    BYTE* copy;
    if (!WithEndChunk(data, size, &whole, &wholeSize, &copy)) return PNG_NO_MEMORY;
    PngProblem problem = ReadPngPixels(whole, wholeSize, width, height, deep, pixels);
    free(copy);
    return problem;
}

// The sizes a decoded image may have: what a DIB and the canvas can hold, and no more memory
// than a bitmap file may take.
static PngProblem CheckPng(const BYTE* data, size_t size, PngHeader* header) {
    if (!ReadPngHeader(data, size, header) || header->Width == 0 || header->Height == 0 ||
        !ChunksSound(data, size))
        return PNG_DAMAGED;
    if (header->Width > 32767 || header->Height > 32767 ||
        40 + ((unsigned long long)header->Width * 4 + DibStride((int)header->Width, 1)) *
                    header->Height >
            MAX_IMAGE_BYTES)
        return PNG_TOO_LARGE;
    return PNG_OK;
}

// Turns rows over where they lie: the codec gives them top-down, a DIB keeps them bottom-up.
static bool FlipRows(BYTE* pixels, size_t stride, int height) {
    BYTE* spare = (BYTE*)malloc(stride);
    if (!spare) return false;
    for (int top = 0, bottom = height - 1; top < bottom; top++, bottom--) {
        BYTE* a = pixels + (size_t)top * stride;
        BYTE* b = pixels + (size_t)bottom * stride;
        memcpy(spare, a, stride);
        memcpy(a, b, stride);
        memcpy(b, spare, stride);
    }
    free(spare);
    return true;
}

PngProblem DecodeIconPng(const BYTE* data, size_t size, BYTE** image) {
    *image = nullptr;
    PngHeader header;
    if (!ReadPngHeader(data, size, &header)) return PNG_DAMAGED;
    // The data is measured first: the chunk checks inflate a stream that lacks its end chunk.
    BYTE* prepared;
    size_t preparedSize;
    if (PngProblem problem = PrepareImageData(data, size, &header, &prepared, &preparedSize))
        return problem;
    if (PngProblem problem = CheckPng(data, size, &header)) {
        free(prepared);
        return problem;
    }
    int width = (int)header.Width, height = (int)header.Height;
    size_t stride = (size_t)width * 4, maskStride = DibStride(width, 1);
    BYTE* block = (BYTE*)calloc(1, 40 + (stride + maskStride) * height);
    PngProblem problem = PNG_NO_MEMORY;
    if (block)
        problem = ReadWholePngPixels(prepared ? prepared : data, prepared ? preparedSize : size,
                                     width, height, false, block + 40);
    free(prepared);
    if (!block) return problem;
    BYTE* pixels = block + 40;
    if (problem == PNG_OK && !FlipRows(pixels, stride, height)) problem = PNG_NO_MEMORY;
    if (problem != PNG_OK) {
        free(block);
        return problem;
    }
    BITMAPINFOHEADER h = {};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 32;
    h.biCompression = BI_RGB;
    h.biSizeImage = (DWORD)(stride * height);
    memcpy(block, &h, 40);
    // The canvas shows a pixel as transparent when it is more than half so.
    BYTE* mask = pixels + stride * height;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            if (pixels[y * stride + 4 * x + 3] < 128)
                mask[y * maskStride + x / 8] |= (BYTE)(0x80 >> (x % 8));
    *image = block;
    return PNG_OK;
}

// ---- Writing an edited image back as PNG ----------------------------------------------------

// The image's colours as blue, green, red bytes of a 32-bit DIB of its size (the alpha bytes
// as the image has them when it is 32-bit, else 0). Images of other bit counts are converted
// by the graphics interface, which knows every colour table and pixel form.
static BYTE* BgraOf(const ImageToWrite* image, const ImageShape* shape) {
    size_t bytes = (size_t)shape->Width * 4 * shape->Height;
    BYTE* out = (BYTE*)malloc(bytes);
    if (!out) return nullptr;
    if (shape->Bits == 32) {
        memcpy(out, image->Bits, bytes);
        return out;
    }
    BITMAPINFOHEADER h = {sizeof h, shape->Width, shape->Height, 1, 32, BI_RGB};
    void* sectionBits = nullptr;
    HBITMAP section =
        CreateDIBSection(nullptr, (BITMAPINFO*)&h, DIB_RGB_COLORS, &sectionBits, nullptr, 0);
    HDC dc = section ? CreateCompatibleDC(nullptr) : nullptr;
    bool drawn = false;
    if (dc) {
        HGDIOBJ old = SelectObject(dc, section);
        // Returns a count, so it is never held back in a batch: the pixels are there at once.
        drawn = SetDIBitsToDevice(dc, 0, 0, shape->Width, shape->Height, 0, 0, 0, shape->Height,
                                  image->Bits, image->Info, DIB_RGB_COLORS) != 0;
        if (drawn) memcpy(out, sectionBits, bytes);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    if (section) DeleteObject(section);
    if (!drawn) {
        free(out);
        return nullptr;
    }
    return out;
}

static bool Transparent(const BYTE* mask, size_t maskStride, int x, int row) {
    return mask && (mask[row * maskStride + x / 8] >> (7 - x % 8)) & 1;
}

// What the PNG was read as, to tell the pixels the user left alone: its 8-bit form (what the
// canvas was given) and, for 16-bit samples, those exactly.
struct Original {
    BYTE* Image; // the decoded form with its mask, as DecodeIconPng gives it
    WORD* Deep;  // red, green, blue, alpha words, rows top-down, or none
};

static void FreeOriginal(Original* original) {
    free(original->Image);
    free(original->Deep);
}

static PngProblem ReadOriginal(const BYTE* png, size_t size, Original* original) {
    *original = Original{};
    PngHeader header;
    if (PngProblem problem = DecodeIconPng(png, size, &original->Image)) return problem;
    ReadPngHeader(png, size, &header);
    if (header.Depth != 16) return PNG_OK;
    size_t bytes = (size_t)header.Width * 8 * header.Height;
    if (bytes > MAX_IMAGE_BYTES) return PNG_TOO_LARGE;
    original->Deep = (WORD*)malloc(bytes);
    if (!original->Deep) return PNG_NO_MEMORY;
    // A codec that cannot give the 16-bit samples leaves the 8-bit ones, widened.
    if (ReadWholePngPixels(png, size, (int)header.Width, (int)header.Height, true,
                           (BYTE*)original->Deep) != PNG_OK) {
        free(original->Deep);
        original->Deep = nullptr;
    }
    return PNG_OK;
}

// One pixel of the PNG written: the original's where the user left the pixel alone (same
// colour, alpha and mask as it was read with), else the image's colour, opaque or, where the
// mask makes it transparent, with alpha 0. True when the pixel was left alone.
static bool PutPixel(const BYTE* now, bool clear, const BYTE* was, bool wasClear,
                     const WORD* deepWas, BYTE* out) {
    bool untouched = was && memcmp(now, was, 4) == 0 && clear == wasClear;
    if (deepWas) {
        WORD* w = (WORD*)out;
        if (untouched) {
            memcpy(w, deepWas, 8);
            return true;
        }
        w[0] = (WORD)(now[2] * 257);
        w[1] = (WORD)(now[1] * 257);
        w[2] = (WORD)(now[0] * 257);
        w[3] = clear ? 0 : 0xFFFF;
        return false;
    }
    memcpy(out, untouched ? was : now, 3);
    out[3] = untouched ? was[3] : clear ? 0 : 255;
    return untouched;
}

PngProblem EncodeIconPng(const ImageToWrite* image, const BYTE* png, size_t pngSize, BYTE** data,
                         size_t* size) {
    *data = nullptr;
    ImageShape shape;
    if (!ImageShapeOf(image, &shape)) return PNG_DAMAGED;
    Original original;
    PngProblem problem = ReadOriginal(png, pngSize, &original);
    // An image the user gave another size has no pixel left alone.
    if (problem == PNG_OK &&
        (DibWidth(original.Image) != shape.Width || DibHeight(original.Image) != shape.Height)) {
        FreeOriginal(&original);
        original = Original{};
    } else if (problem != PNG_OK) {
        return problem;
    }
    bool deep = original.Deep != nullptr;
    size_t count = (size_t)shape.Width * shape.Height, pixelBytes = deep ? 8 : 4;
    BYTE* now = BgraOf(image, &shape);
    BYTE* out = now ? (BYTE*)malloc(count * pixelBytes) : nullptr;
    if (!out) {
        free(now);
        FreeOriginal(&original);
        return PNG_NO_MEMORY;
    }
    size_t stride = (size_t)shape.Width * 4, maskStride = DibStride(shape.Width, 1);
    const BYTE* was = original.Image ? original.Image + 40 : nullptr;
    const BYTE* wasMask = was ? was + stride * shape.Height : nullptr;
    bool untouched = was != nullptr;
    for (int y = 0; y < shape.Height; y++) {
        int row = shape.Height - 1 - y; // stored bottom-up, written top-down
        for (int x = 0; x < shape.Width; x++) {
            size_t at = row * stride + 4 * x;
            untouched &=
                PutPixel(now + at, Transparent(image->Mask, maskStride, x, row),
                         was ? was + at : nullptr, Transparent(wasMask, maskStride, x, row),
                         deep ? original.Deep + 4 * ((size_t)y * shape.Width + x) : nullptr,
                         out + ((size_t)y * shape.Width + x) * pixelBytes);
        }
    }
    // An image left alone throughout keeps its bytes as they were read.
    bool written = false;
    if (untouched && (*data = (BYTE*)malloc(pngSize)) != nullptr) {
        memcpy(*data, png, pngSize);
        *size = pngSize;
        written = true;
    } else if (!untouched) {
        written = WritePngPixels(shape.Width, shape.Height, deep, out, data, size);
    }
    free(out);
    free(now);
    FreeOriginal(&original);
    return written ? PNG_OK : PNG_UNSUPPORTED;
}
