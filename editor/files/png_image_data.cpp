// A PNG's image data looked at before the codec is given it: the compressed rows may inflate
// to no more than the image's size needs (a file of a few megabytes can hold gigabytes of
// zeros, which the codec would inflate in full), and the memory its decoding takes must fit
// the limit. A palette image gets a palette of every index its depth can hold.
#include "files/files.h"
#include <cstdlib>
#include <cstring>
#include <zlib.h>

#define SCRATCH_BYTES 65536

static DWORD ReadBE32(const BYTE* p) {
    return (DWORD)p[0] << 24 | (DWORD)p[1] << 16 | (DWORD)p[2] << 8 | p[3];
}

static void PutBE32(BYTE* p, DWORD value) {
    p[0] = (BYTE)(value >> 24);
    p[1] = (BYTE)(value >> 16);
    p[2] = (BYTE)(value >> 8);
    p[3] = (BYTE)value;
}

// Bits per pixel of the stored rows; 0 for a colour type and depth the format does not have.
static int StoredBitsPerPixel(const PngHeader* header) {
    static const int Samples[7] = {1, 0, 3, 1, 2, 0, 4};
    int depth = header->Depth, type = header->ColourType;
    if (type > 6 || !Samples[type] ||
        (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16))
        return 0;
    if ((type == 3 && depth > 8) || ((type == 2 || type == 4 || type == 6) && depth < 8)) return 0;
    return depth * Samples[type];
}

static unsigned long long RowsBytes(unsigned long long width, unsigned long long height, int bits) {
    if (width == 0 || height == 0) return 0;
    return height * (1 + (width * bits + 7) / 8); // each row starts with its filter byte
}

// What the rows inflate to: the whole image, or its seven interlaced passes.
static unsigned long long InflatedBytes(const PngHeader* header, bool interlaced, int bits) {
    unsigned long long width = header->Width, height = header->Height;
    if (!interlaced) return RowsBytes(width, height, bits);
    static const int Pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    unsigned long long total = 0;
    for (const int* p : Pass) {
        unsigned long long w = width > (unsigned)p[0] ? (width - p[0] + p[2] - 1) / p[2] : 0;
        unsigned long long h = height > (unsigned)p[1] ? (height - p[1] + p[3] - 1) / p[3] : 0;
        total += RowsBytes(w, h, bits);
    }
    return total;
}

unsigned long long PngDecodingBytes(const PngHeader* header) {
    unsigned long long width = header->Width, height = header->Height;
    int bits = StoredBitsPerPixel(header);
    // The codec holds the stored rows whole (at least a byte a pixel once unpacked); beside
    // them the decoded image, 32-bit, and its mask.
    unsigned long long stored = height * ((width * (bits < 8 ? 8 : bits) + 7) / 8);
    return stored + 40 + (width * 4 + (width + 31) / 32 * 4) * height;
}

// Calls each chunk of the data in turn (length, type, data) until the end chunk, the end
// of the data, or until the call says stop; the chunks were checked before.
template <typename Visit> static void ForEachChunk(const BYTE* data, size_t size, Visit visit) {
    size_t at = 8;
    while (size - at >= 12) {
        DWORD length = ReadBE32(data + at);
        if (length > size - at - 12) return;
        const BYTE* type = data + at + 4;
        if (memcmp(type, "IEND", 4) == 0 || !visit(type, length, at)) return;
        at += 12 + (size_t)length;
    }
}

// Inflates the image data into a scratch buffer, counting the bytes: more than the rows
// need, or data that is no deflate stream, and the PNG is damaged.
static PngProblem CheckInflatedSize(const BYTE* data, size_t size, unsigned long long needed) {
    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK) return PNG_NO_MEMORY;
    BYTE* scratch = (BYTE*)malloc(SCRATCH_BYTES);
    if (!scratch) {
        inflateEnd(&stream);
        return PNG_NO_MEMORY;
    }
    unsigned long long inflated = 0;
    int state = Z_OK;
    ForEachChunk(data, size, [&](const BYTE* type, DWORD length, size_t) {
        if (memcmp(type, "IDAT", 4) != 0) return true;
        stream.next_in = (Bytef*)(type + 4);
        stream.avail_in = length;
        while (state == Z_OK && stream.avail_in > 0) {
            stream.next_out = scratch;
            stream.avail_out = SCRATCH_BYTES;
            state = inflate(&stream, Z_NO_FLUSH);
            inflated += SCRATCH_BYTES - stream.avail_out;
            if (state == Z_BUF_ERROR && stream.avail_out == 0) state = Z_OK;
            if (inflated > needed) state = Z_DATA_ERROR;
        }
        // Past the end of the stream, the data must hold nothing more.
        if (state == Z_STREAM_END && stream.avail_in > 0) state = Z_DATA_ERROR;
        return state == Z_OK || state == Z_STREAM_END;
    });
    inflateEnd(&stream);
    free(scratch);
    if (state == Z_MEM_ERROR) return PNG_NO_MEMORY;
    return state == Z_OK || state == Z_STREAM_END ? PNG_OK : PNG_DAMAGED;
}

// Appends one chunk with its check value.
static BYTE* PutChunk(BYTE* out, const char* type, const BYTE* data, DWORD length) {
    PutBE32(out, length);
    memcpy(out + 4, type, 4);
    if (length) memcpy(out + 8, data, length);
    PutBE32(out + 8 + length, (DWORD)crc32(crc32(0, out + 4, 4), data, length));
    return out + 12 + length;
}

// A palette image whose palette holds fewer colours than its depth can name gets the rest
// as black (no transparency entry: opaque), as libpng-based viewers show such indices, and
// a transparency chunk longer than the palette is cut to it. None when nothing needs doing.
static PngProblem PaletteMadeWhole(const BYTE* data, size_t size, const PngHeader* header,
                                   BYTE** whole, size_t* wholeSize) {
    if (header->ColourType != 3 || header->Depth > 8) return PNG_OK;
    DWORD entries = 1u << header->Depth, colours = 0, alphas = 0;
    ForEachChunk(data, size, [&](const BYTE* type, DWORD length, size_t) {
        if (memcmp(type, "PLTE", 4) == 0) colours = length / 3;
        if (memcmp(type, "tRNS", 4) == 0) alphas = length;
        return true;
    });
    if (colours == 0 || (colours >= entries && alphas <= colours)) return PNG_OK;
    BYTE* out = (BYTE*)malloc(size + 3 * (size_t)entries + 12);
    if (!out) return PNG_NO_MEMORY;
    memcpy(out, data, 8);
    BYTE* end = out + 8;
    ForEachChunk(data, size, [&](const BYTE* type, DWORD length, size_t at) {
        if (memcmp(type, "PLTE", 4) == 0 && colours < entries) {
            BYTE palette[3 * 256] = {};
            memcpy(palette, type + 4, 3 * (size_t)colours);
            end = PutChunk(end, "PLTE", palette, 3 * entries);
        } else if (memcmp(type, "tRNS", 4) == 0) {
            end = PutChunk(end, "tRNS", type + 4, length < colours ? length : colours);
        } else {
            memcpy(end, data + at, 12 + (size_t)length);
            end += 12 + (size_t)length;
        }
        return true;
    });
    end = PutChunk(end, "IEND", nullptr, 0);
    *whole = out;
    *wholeSize = (size_t)(end - out);
    return PNG_OK;
}

PngProblem PrepareImageData(const BYTE* data, size_t size, const PngHeader* header, BYTE** prepared,
                            size_t* preparedSize) {
    *prepared = nullptr;
    *preparedSize = 0;
    int bits = StoredBitsPerPixel(header);
    if (header->Width == 0 || header->Height == 0) return PNG_DAMAGED;
    if (header->Width > 32767 || header->Height > 32767) return PNG_TOO_LARGE;
    if (bits == 0 || data[8 + 8 + 10] != 0 || data[8 + 8 + 11] != 0 || data[8 + 8 + 12] > 1)
        return PNG_DAMAGED; // compression, filter and interlace methods: one of each defined
    if (PngDecodingBytes(header) > MAX_IMAGE_BYTES) return PNG_TOO_LARGE;
    PngProblem problem =
        CheckInflatedSize(data, size, InflatedBytes(header, data[8 + 8 + 12] == 1, bits));
    if (problem != PNG_OK) return problem;
    return PaletteMadeWhole(data, size, header, prepared, preparedSize);
}
