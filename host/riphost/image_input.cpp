#include "host/riphost/image_input.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <wincodec.h>
#include <windows.h>
#endif
#ifdef RIPHOST_HAVE_PNG
#include <png.h>
#endif
#ifdef RIPHOST_HAVE_TIFF
#include <tiffio.h>
#endif

namespace riphost {

void separateRgb(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint16_t cmyk[4]) {
  std::uint32_t maxv = std::max({r, g, b});
  std::uint32_t k = 65535 - maxv;
  if (maxv == 0) {
    cmyk[0] = cmyk[1] = cmyk[2] = 0;
  } else {
    cmyk[0] = std::uint16_t((std::uint64_t(maxv - r) * 65535) / maxv);
    cmyk[1] = std::uint16_t((std::uint64_t(maxv - g) * 65535) / maxv);
    cmyk[2] = std::uint16_t((std::uint64_t(maxv - b) * 65535) / maxv);
  }
  cmyk[3] = std::uint16_t(k);
}

namespace {

[[maybe_unused]] void allocate(InkImage& image, int width, int height) {
  image.width = width;
  image.height = height;
  image.planes.assign(4, std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height) * 2, 0));
}

[[maybe_unused]] void putInk(InkImage& image, std::size_t pixel, const std::uint16_t cmyk[4]) {
  for (int p = 0; p < 4; ++p) {
    image.planes[p][2 * pixel] = std::uint8_t(cmyk[p]);
    image.planes[p][2 * pixel + 1] = std::uint8_t(cmyk[p] >> 8);
  }
}

[[maybe_unused]] bool hasSuffix(const std::string& s, const char* suffix) {
  std::string lower = s;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  std::size_t n = std::strlen(suffix);
  return lower.size() >= n && lower.compare(lower.size() - n, n, suffix) == 0;
}

#ifdef RIPHOST_HAVE_PNG
bool readPng(const std::string& path, InkImage& image, std::string& error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    error = std::string("PNG: ") + png.message;
    return false;
  }
  png.format = PNG_FORMAT_RGB;  // libpng converts grey, palette and alpha
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
    error = std::string("PNG: ") + png.message;
    return false;
  }
  allocate(image, int(png.width), int(png.height));
  for (std::size_t i = 0; i < std::size_t(png.width) * png.height; ++i) {
    std::uint16_t cmyk[4];
    separateRgb(rgb[3 * i] * 257u, rgb[3 * i + 1] * 257u, rgb[3 * i + 2] * 257u, cmyk);
    putInk(image, i, cmyk);
  }
  return true;
}
#endif

#ifdef RIPHOST_HAVE_TIFF
bool readTiff(const std::string& path, InkImage& image, std::string& error) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (!tif) {
    error = "TIFF: cannot open " + path;
    return false;
  }
  std::uint32_t w = 0, h = 0;
  std::uint16_t photometric = 0, samples = 1, bits = 8, planar = PLANARCONFIG_CONTIG;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  bool cmyk = photometric == PHOTOMETRIC_SEPARATED && samples >= 4 && (bits == 8 || bits == 16) &&
              planar == PLANARCONFIG_CONTIG;
  if (!cmyk) {
    // Any other kind: let libtiff deliver RGBA and separate it.
    std::vector<std::uint32_t> raster(std::size_t(w) * h);
    if (!TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) {
      TIFFClose(tif);
      error = "TIFF: unsupported picture " + path;
      return false;
    }
    allocate(image, int(w), int(h));
    for (std::size_t i = 0; i < raster.size(); ++i) {
      std::uint16_t ink[4];
      separateRgb(TIFFGetR(raster[i]) * 257u, TIFFGetG(raster[i]) * 257u, TIFFGetB(raster[i]) * 257u, ink);
      putInk(image, i, ink);
    }
    TIFFClose(tif);
    return true;
  }
  allocate(image, int(w), int(h));
  std::vector<std::uint8_t> line(TIFFScanlineSize(tif));
  for (std::uint32_t y = 0; y < h; ++y) {
    if (TIFFReadScanline(tif, line.data(), y, 0) < 0) {
      TIFFClose(tif);
      error = "TIFF: read error in " + path;
      return false;
    }
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint16_t ink[4];
      for (int p = 0; p < 4; ++p) {
        std::size_t at = std::size_t(x) * samples + p;
        ink[p] = bits == 8 ? std::uint16_t(line[at] * 257u)
                           : std::uint16_t(line[2 * at] | (line[2 * at + 1] << 8));  // native order from libtiff
      }
      putInk(image, std::size_t(y) * w + x, ink);
    }
  }
  TIFFClose(tif);
  return true;
}
#endif

#ifdef _WIN32
// Windows: the platform's imaging component decodes PNG and TIFF. CMYK
// pictures keep their inks; anything else is converted to BGRA and separated.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() { return p; }
};

bool readWithWic(const std::string& path, InkImage& image, std::string& error) {
  HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  bool ok = false;
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? std::size_t(n) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
    UINT w = 0, h = 0;
    WICPixelFormatGUID format{};
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&w, &h)) ||
        FAILED(frame->GetPixelFormat(&format))) {
      error = "cannot decode " + path;
    } else if (IsEqualGUID(format, GUID_WICPixelFormat32bppCMYK)) {
      std::vector<std::uint8_t> px(std::size_t(w) * h * 4);
      if (SUCCEEDED(frame->CopyPixels(nullptr, w * 4, UINT(px.size()), px.data()))) {
        allocate(image, int(w), int(h));
        for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
          std::uint16_t ink[4];
          for (int p = 0; p < 4; ++p) ink[p] = std::uint16_t(px[4 * i + p] * 257u);
          putInk(image, i, ink);
        }
        ok = true;
      }
    } else {
      ComPtr<IWICFormatConverter> converter;
      std::vector<std::uint8_t> px(std::size_t(w) * h * 4);
      if (SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
          SUCCEEDED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                          0.0, WICBitmapPaletteTypeCustom)) &&
          SUCCEEDED(converter->CopyPixels(nullptr, w * 4, UINT(px.size()), px.data()))) {
        allocate(image, int(w), int(h));
        for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
          std::uint16_t ink[4];
          separateRgb(px[4 * i + 2] * 257u, px[4 * i + 1] * 257u, px[4 * i] * 257u, ink);
          putInk(image, i, ink);
        }
        ok = true;
      }
    }
    if (!ok && error.empty()) error = "cannot convert " + path;
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}
#endif

}  // namespace

bool readInkImage(const std::string& path, InkImage& image, std::string& error) {
#ifdef _WIN32
  return readWithWic(path, image, error);
#endif
#ifdef RIPHOST_HAVE_TIFF
  if (hasSuffix(path, ".tif") || hasSuffix(path, ".tiff")) return readTiff(path, image, error);
#endif
#ifdef RIPHOST_HAVE_PNG
  if (hasSuffix(path, ".png")) return readPng(path, image, error);
#endif
  (void)image;
  error = "this riphost cannot read " + path + " (PNG and TIFF need libpng and libtiff)";
  return false;
}

}  // namespace riphost
