// PNG pixels through the platform's image codecs (the Windows Imaging Component), which
// desktop Windows and Wine provide. The handheld has none: there every PNG is one this
// program cannot read or write, and says so.
#include "files/files.h"
#include <objbase.h>
#include <wincodec.h>
#include <cstdlib>
#include <cstring>

#define BAND_ROWS 64

// Made at the first PNG and kept for the run: loading the codecs takes longer than a decode.
static IWICImagingFactory* CodecFactory;
static bool FactoryTried;

static IWICImagingFactory* Factory() {
    if (FactoryTried) return CodecFactory;
    FactoryTried = true;
    // COM may already run on this thread in the other model; the factory works in either.
    HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(started) && started != RPC_E_CHANGED_MODE) return nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, (void**)&CodecFactory)))
        CodecFactory = nullptr;
    return CodecFactory;
}

template <typename T> static void Release(T** object) {
    if (*object) (*object)->Release();
    *object = nullptr;
}

bool PngCodecPresent() {
    return Factory() != nullptr;
}

// Samples of 16 bits the codec hands over in its own order, widened to red, green, blue and
// alpha words; false for a format it would need to convert.
static bool WidenSamples(const WICPixelFormatGUID& format, const WORD* in, int count, WORD* out) {
    for (int i = 0; i < count; i++) {
        WORD* p = out + 4 * i;
        if (IsEqualGUID(format, GUID_WICPixelFormat48bppRGB)) {
            memcpy(p, in + 3 * i, 6);
            p[3] = 0xFFFF;
        } else if (IsEqualGUID(format, GUID_WICPixelFormat16bppGray)) {
            p[0] = p[1] = p[2] = in[i];
            p[3] = 0xFFFF;
        } else {
            return false;
        }
    }
    return true;
}

// The frame's pixels, rows top-down: blue, green, red, alpha bytes, or (deep) red, green,
// blue, alpha words, which keep a PNG of 16-bit samples exact.
static HRESULT CopyFramePixels(IWICBitmapFrameDecode* frame, int width, int height, bool deep,
                               BYTE* pixels) {
    UINT stride = (UINT)width * (deep ? 8 : 4);
    IWICBitmapSource* converted = nullptr;
    HRESULT result = WICConvertBitmapSource(
        deep ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA, frame, &converted);
    // In bands of rows: a converter works through a copy of the rows asked for in the
    // codec's own form, which for the whole of a large image would take more than the image.
    for (int top = 0; SUCCEEDED(result) && top < height; top += BAND_ROWS) {
        WICRect band = {0, top, width, height - top < BAND_ROWS ? height - top : BAND_ROWS};
        result = converted->CopyPixels(&band, stride, stride * (UINT)band.Height,
                                       pixels + (size_t)stride * top);
    }
    if (converted) {
        Release(&converted);
        return result;
    }
    if (!deep) return result;
    // The codec converts 16-bit samples only to the 8-bit form; the others are taken as
    // they are and widened here.
    WICPixelFormatGUID format;
    if (FAILED(result = frame->GetPixelFormat(&format))) return result;
    UINT samples = IsEqualGUID(format, GUID_WICPixelFormat48bppRGB) ? 3 : 1;
    WORD* native = (WORD*)malloc((size_t)width * height * samples * 2);
    if (!native) return E_OUTOFMEMORY;
    result = frame->CopyPixels(nullptr, (UINT)width * samples * 2,
                               (UINT)width * height * samples * 2, (BYTE*)native);
    if (SUCCEEDED(result) && !WidenSamples(format, native, width * height, (WORD*)pixels))
        result = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    free(native);
    return result;
}

PngProblem ReadPngPixels(const BYTE* data, size_t size, int width, int height, bool deep,
                         BYTE* pixels) {
    IWICImagingFactory* factory = Factory();
    if (!factory) return PNG_UNSUPPORTED;
    if (size > 0xFFFFFFFFu) return PNG_TOO_LARGE;
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    PngProblem problem = PNG_DAMAGED;
    UINT frameWidth = 0, frameHeight = 0;
    if (SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromMemory((BYTE*)data, (DWORD)size)) &&
        SUCCEEDED(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, &decoder)) &&
        SUCCEEDED(decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) &&
        SUCCEEDED(frame->GetSize(&frameWidth, &frameHeight)) && frameWidth == (UINT)width &&
        frameHeight == (UINT)height) {
        HRESULT copied = CopyFramePixels(frame, width, height, deep, pixels);
        problem = SUCCEEDED(copied)         ? PNG_OK
                  : copied == E_OUTOFMEMORY ? PNG_NO_MEMORY
                                            : PNG_DAMAGED;
    }
    Release(&frame);
    Release(&decoder);
    Release(&stream);
    return problem;
}

// The encoder writes into a stream in memory; its bytes are copied out once it is done.
static bool CopyStreamBytes(IStream* stream, BYTE** data, size_t* size) {
    STATSTG status;
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) ||
        FAILED(GetHGlobalFromStream(stream, &memory)) || status.cbSize.QuadPart == 0)
        return false;
    *size = (size_t)status.cbSize.QuadPart;
    const BYTE* bytes = (const BYTE*)GlobalLock(memory);
    *data = bytes ? (BYTE*)malloc(*size) : nullptr;
    if (*data) memcpy(*data, bytes, *size);
    if (bytes) GlobalUnlock(memory);
    return *data != nullptr;
}

static bool EncodePixels(IWICImagingFactory* factory, int width, int height, bool deep,
                         const BYTE* pixels, BYTE** data, size_t* size);

// Some codecs (Wine 8's) store 16-bit samples in the order they are given, where a PNG wants
// the high byte first, instead of the machine's order the decoder gives: one pixel written
// and read back tells whether the words must be turned before they are handed over.
static bool DeepWordsTurned(IWICImagingFactory* factory) {
    static int turned = -1;
    if (turned >= 0) return turned == 1;
    const WORD probe[4] = {0x0102, 0x0304, 0x0506, 0x0708};
    WORD back[4] = {};
    BYTE* png = nullptr;
    size_t size = 0;
    if (EncodePixels(factory, 1, 1, true, (const BYTE*)probe, &png, &size) &&
        ReadPngPixels(png, size, 1, 1, true, (BYTE*)back) == PNG_OK)
        turned = back[0] == 0x0201 ? 1 : 0;
    free(png);
    return turned == 1;
}

bool WritePngPixels(int width, int height, bool deep, const BYTE* pixels, BYTE** data,
                    size_t* size) {
    *data = nullptr;
    *size = 0;
    IWICImagingFactory* factory = Factory();
    if (!factory) return false;
    if (!deep || !DeepWordsTurned(factory))
        return EncodePixels(factory, width, height, deep, pixels, data, size);
    size_t words = (size_t)width * height * 4;
    WORD* turned = (WORD*)malloc(words * 2);
    if (!turned) return false;
    for (size_t i = 0; i < words; i++) {
        WORD w = ((const WORD*)pixels)[i];
        turned[i] = (WORD)(w >> 8 | w << 8);
    }
    bool written = EncodePixels(factory, width, height, deep, (const BYTE*)turned, data, size);
    free(turned);
    return written;
}

static bool EncodePixels(IWICImagingFactory* factory, int width, int height, bool deep,
                         const BYTE* pixels, BYTE** data, size_t* size) {
    *data = nullptr;
    *size = 0;
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* options = nullptr;
    const WICPixelFormatGUID wanted =
        deep ? GUID_WICPixelFormat64bppRGBA : GUID_WICPixelFormat32bppBGRA;
    WICPixelFormatGUID format = wanted;
    UINT stride = (UINT)width * (deep ? 8 : 4);
    // The encoder may offer another pixel format than the one asked for; the pixels are in
    // this one only, so anything else fails.
    bool written =
        SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) &&
        SUCCEEDED(frame->Initialize(options)) &&
        SUCCEEDED(frame->SetSize((UINT)width, (UINT)height)) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, wanted) &&
        SUCCEEDED(frame->WritePixels((UINT)height, stride, stride * (UINT)height, (BYTE*)pixels)) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()) &&
        CopyStreamBytes(stream, data, size);
    Release(&options);
    Release(&frame);
    Release(&encoder);
    Release(&stream);
    return written;
}
