#include "controls/SkinPicture.h"

#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "controls/Gdi.h"

// Exported by windowscodecs.dll: the imaging factory without COM, so
// pictures load on any thread and in any test host.
using CreateFactoryFn = HRESULT(WINAPI*)(UINT sdkVersion, IWICImagingFactory** factory);

namespace skin {
namespace {

template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    void Swap(ComRef& other) { std::swap(p_, other.p_); }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Pixels as 0x00RRGGBB, rows top-down.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
};

constexpr uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// One factory for the process: making it costs more than a small picture.
// The decoder's library and factory, from the first picture until the
// window that needed them is gone (a resident in the tray needs neither).
struct Decoder {
    HMODULE library = nullptr;
    IWICImagingFactory* factory = nullptr;
    // The PNG decoder's class straight from the library: finding a decoder
    // by the stream's first bytes reads every decoder's registration.
    IClassFactory* png = nullptr;
};
Decoder g_decoder;

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

IWICImagingFactory* Factory() {
    Decoder& d = g_decoder;
    if (d.factory) return d.factory;
    if (!d.library) d.library = LoadLibraryExW(L"windowscodecs.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!d.library) return nullptr;
    const auto create = reinterpret_cast<CreateFactoryFn>(
        reinterpret_cast<void*>(GetProcAddress(d.library, "WICCreateImagingFactory_Proxy")));
    if (!create || FAILED(create(WINCODEC_SDK_VERSION, &d.factory))) d.factory = nullptr;
    const auto classObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(d.library, "DllGetClassObject")));
    if (d.factory && classObject &&
        FAILED(classObject(CLSID_WICPngDecoder, IID_IClassFactory, reinterpret_cast<void**>(&d.png))))
        d.png = nullptr;
    return d.factory;
}

// Our pictures are PNGs; anything else is found by its content.
bool OpenDecoder(IWICImagingFactory* factory, IWICStream* stream, ComRef<IWICBitmapDecoder>& decoder) {
    if (IClassFactory* png = g_decoder.png) {
        ComRef<IWICBitmapDecoder> direct;
        if (SUCCEEDED(png->CreateInstance(nullptr, IID_IWICBitmapDecoder, reinterpret_cast<void**>(direct.Out()))) &&
            SUCCEEDED(direct->Initialize(stream, WICDecodeMetadataCacheOnDemand))) {
            direct.Swap(decoder);
            return true;
        }
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
    }
    return SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, decoder.Out()));
}

// 24-bit rows as the decoder gives them, widened here: a format converter
// costs more than the picture.
bool CopyWidened(IWICBitmapSource* frame, UINT w, UINT h, Pixels& out) {
    const UINT stride = (w * 3 + 3) & ~3u;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * h);
    if (FAILED(frame->CopyPixels(nullptr, stride, static_cast<UINT>(rows.size()), rows.data()))) return false;
    for (UINT y = 0; y < h; ++y) {
        const BYTE* row = rows.data() + static_cast<size_t>(stride) * y;
        uint32_t* px = out.px.data() + static_cast<size_t>(w) * y;
        for (UINT x = 0; x < w; ++x) px[x] = row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
    }
    return true;
}

bool Decode(const void* data, DWORD size, Pixels& out) {
    IWICImagingFactory* factory = Factory();
    if (!factory) return false;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(factory->CreateStream(stream.Out())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)) ||
        !OpenDecoder(factory, stream.Get(), decoder) || FAILED(decoder->GetFrame(0, frame.Out())))
        return false;
    UINT w = 0, h = 0;
    if (FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0 || w > 16384 || h > 16384) return false;
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.px.assign(static_cast<size_t>(w) * h, 0);
    WICPixelFormatGUID format{};
    frame->GetPixelFormat(&format);
    bool copied = false;
    if (format == GUID_WICPixelFormat24bppBGR) {
        copied = CopyWidened(frame.Get(), w, h, out);
    } else if (format == GUID_WICPixelFormat32bppBGR || format == GUID_WICPixelFormat32bppBGRA) {
        copied = SUCCEEDED(frame->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(out.px.data())));
    } else {
        ComRef<IWICFormatConverter> converter;
        copied = SUCCEEDED(factory->CreateFormatConverter(converter.Out())) &&
                 SUCCEEDED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                                 nullptr, 0, WICBitmapPaletteTypeCustom)) &&
                 SUCCEEDED(converter->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(out.px.data())));
    }
    if (!copied) return false;
    for (uint32_t& p : out.px) p &= 0xFFFFFF;
    return true;
}

// A BITMAP resource (the test programs' pictures), through a 24-bit DIB.
bool FromBitmapResource(int id, Pixels& out) {
    BitmapHandle bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap.Get(), sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return false;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = info.bmWidth;
    bmi.bmiHeader.biHeight = -info.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    out.width = info.bmWidth;
    out.height = info.bmHeight;
    out.px.assign(static_cast<size_t>(out.width) * out.height, 0);
    WindowDC screen(nullptr);
    if (GetDIBits(screen.Get(), bitmap.Get(), 0, static_cast<UINT>(out.height), out.px.data(), &bmi, DIB_RGB_COLORS) !=
        out.height)
        return false;
    for (uint32_t& p : out.px) p &= 0xFFFFFF;
    return true;
}

bool LoadResource(int id, const wchar_t* type, Pixels& out) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data && Decode(data, SizeofResource(module, found), out);
}

// Key pixels take the average of their unkeyed neighbours, a few pixels
// deep, so that scaling blends the edge with itself instead of with the key.
void BleedIntoKey(Pixels& p, std::vector<uint8_t>& keyed) {
    const int w = p.width, h = p.height;
    std::vector<uint8_t> open = keyed;
    for (int pass = 0; pass < 4; ++pass) {
        std::vector<std::pair<size_t, uint32_t>> filled;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const size_t i = static_cast<size_t>(y) * w + x;
                if (!open[i]) continue;
                unsigned r = 0, g = 0, b = 0, n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                        const size_t j = static_cast<size_t>(ny) * w + nx;
                        if (open[j]) continue;
                        const uint32_t c = p.px[j];
                        r += c >> 16;
                        g += (c >> 8) & 0xFF;
                        b += c & 0xFF;
                        ++n;
                    }
                if (n) filled.emplace_back(i, ((r / n) << 16) | ((g / n) << 8) | (b / n));
            }
        if (filled.empty()) break;
        for (const auto& f : filled) {
            p.px[f.first] = f.second;
            open[f.first] = 0;
        }
    }
}

// One axis of the resampling: for each output position the source
// positions and their weights. Shrinking averages the area each output
// pixel covers; growing interpolates linearly between pixel centres.
struct Tap {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Tap> Taps(int from, int to) {
    std::vector<Tap> taps(static_cast<size_t>(to));
    const double ratio = static_cast<double>(from) / to;
    for (int o = 0; o < to; ++o) {
        Tap& t = taps[static_cast<size_t>(o)];
        if (ratio >= 1.0) {
            const double a = o * ratio, b = (o + 1) * ratio;
            t.first = static_cast<int>(std::floor(a));
            const int last = std::min(from - 1, static_cast<int>(std::ceil(b)) - 1);
            for (int s = t.first; s <= last; ++s) {
                const double cover = std::min<double>(b, s + 1) - std::max<double>(a, s);
                t.weights.push_back(static_cast<float>(cover / ratio));
            }
        } else {
            const double c = std::clamp((o + 0.5) * ratio - 0.5, 0.0, static_cast<double>(from - 1));
            t.first = static_cast<int>(std::floor(c));
            const double f = c - t.first;
            t.weights.push_back(static_cast<float>(1.0 - f));
            if (t.first + 1 < from) t.weights.push_back(static_cast<float>(f));
        }
    }
    return taps;
}

Pixels Resample(const Pixels& src, int w, int h) {
    const std::vector<Tap> tx = Taps(src.width, w), ty = Taps(src.height, h);
    // Rows first into floats, then columns.
    std::vector<float> mid(static_cast<size_t>(w) * src.height * 3);
    for (int y = 0; y < src.height; ++y) {
        const uint32_t* row = src.px.data() + static_cast<size_t>(y) * src.width;
        float* out = mid.data() + static_cast<size_t>(y) * w * 3;
        for (int x = 0; x < w; ++x) {
            const Tap& t = tx[static_cast<size_t>(x)];
            float r = 0, g = 0, b = 0;
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const uint32_t c = row[t.first + static_cast<int>(k)];
                r += t.weights[k] * (c >> 16);
                g += t.weights[k] * ((c >> 8) & 0xFF);
                b += t.weights[k] * (c & 0xFF);
            }
            out[x * 3] = r;
            out[x * 3 + 1] = g;
            out[x * 3 + 2] = b;
        }
    }
    Pixels dst;
    dst.width = w;
    dst.height = h;
    dst.px.assign(static_cast<size_t>(w) * h, 0);
    auto channel = [](float v) { return static_cast<uint32_t>(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
    for (int y = 0; y < h; ++y) {
        const Tap& t = ty[static_cast<size_t>(y)];
        for (int x = 0; x < w; ++x) {
            float r = 0, g = 0, b = 0;
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const float* in = mid.data() + (static_cast<size_t>(t.first + static_cast<int>(k)) * w + x) * 3;
                r += t.weights[k] * in[0];
                g += t.weights[k] * in[1];
                b += t.weights[k] * in[2];
            }
            dst.px[static_cast<size_t>(y) * w + x] = (channel(r) << 16) | (channel(g) << 8) | channel(b);
        }
    }
    return dst;
}

Pixels ScaleTo(Pixels src, int w, int h, COLORREF key) {
    if (src.width == w && src.height == h) return src;
    const bool keyed = key != CLR_INVALID;
    const uint32_t k = keyed ? Rgb(key) : 0;
    std::vector<uint8_t> isKey;
    if (keyed) {
        isKey.resize(src.px.size());
        for (size_t i = 0; i < src.px.size(); ++i) isKey[i] = src.px[i] == k;
        BleedIntoKey(src, isKey);
    }
    Pixels dst = Resample(src, w, h);
    if (keyed) {
        // A pixel is key exactly where the centre of its area is key in the source.
        for (int y = 0; y < h; ++y) {
            const int sy = std::min(src.height - 1, static_cast<int>((y + 0.5) * src.height / h));
            for (int x = 0; x < w; ++x) {
                const int sx = std::min(src.width - 1, static_cast<int>((x + 0.5) * src.width / w));
                uint32_t& p = dst.px[static_cast<size_t>(y) * w + x];
                if (isKey[static_cast<size_t>(sy) * src.width + sx]) p = k;
                else if (p == k) p ^= 0x000100;  // one step of green off the key
            }
        }
    }
    return dst;
}

HBITMAP ToDib(const Pixels& p) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = p.width;
    bmi.bmiHeader.biHeight = -p.height;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        return nullptr;
    }
    const size_t stride = (static_cast<size_t>(p.width) * 3 + 3) & ~static_cast<size_t>(3);
    auto* out = static_cast<unsigned char*>(bits);
    for (int y = 0; y < p.height; ++y) {
        unsigned char* row = out + y * stride;
        const uint32_t* in = p.px.data() + static_cast<size_t>(y) * p.width;
        for (int x = 0; x < p.width; ++x) {
            row[x * 3] = static_cast<unsigned char>(in[x] & 0xFF);
            row[x * 3 + 1] = static_cast<unsigned char>((in[x] >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<unsigned char>(in[x] >> 16);
        }
    }
    GdiFlush();
    return dib;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

}  // namespace

UINT DpiOf(HWND wnd) {
    static const auto forWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && wnd) {
        const UINT dpi = forWindow(wnd);
        if (dpi) return dpi;
    }
    WindowDC screen(nullptr);
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

HBITMAP LoadPicture(int id, UINT dpi, COLORREF key) {
    if (dpi == 0) dpi = kBaseDpi;
    Pixels p;
    int w1 = 0, h1 = 0;  // the 1x size
    if (dpi != kBaseDpi && LoadResource(id, L"PNG2X", p)) {
        w1 = p.width / 2;
        h1 = p.height / 2;
    } else if (LoadResource(id, L"PNG", p) || FromBitmapResource(id, p)) {
        w1 = p.width;
        h1 = p.height;
    } else {
        return nullptr;
    }
    const int w = std::max(1, Scale(w1, dpi)), h = std::max(1, Scale(h1, dpi));
    return ToDib(ScaleTo(std::move(p), w, h, key));
}

void ReleaseDecoder() {
    Decoder& d = g_decoder;
    if (d.png) d.png->Release();
    d.png = nullptr;
    if (d.factory) d.factory->Release();
    d.factory = nullptr;
    if (d.library) FreeLibrary(d.library);
    d.library = nullptr;
}

SIZE PictureSize(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    // The PNG header holds the size: no need to decode the picture.
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG")) {
        HGLOBAL loaded = ::LoadResource(module, found);
        const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
        if (data && SizeofResource(module, found) >= 24) {
            auto be = [&](int at) {
                return static_cast<LONG>((data[at] << 24) | (data[at + 1] << 16) | (data[at + 2] << 8) | data[at + 3]);
            };
            return SIZE{be(16), be(20)};
        }
    }
    Pixels p;
    if (FromBitmapResource(id, p)) return SIZE{p.width, p.height};
    return SIZE{0, 0};
}

}  // namespace skin
