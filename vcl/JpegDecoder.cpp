#include "vcl/JpegDecoder.h"

#include "vcl/SysUtils.h"

#include <csetjmp>
#include <cstdio>
#include <limits>
#include <string>

#include <jpeglib.h>

namespace ks {

namespace {

constexpr const char* TooLargeText = "JPEG image is too large";
constexpr const char* TooManyScansText = "JPEG image has too many scans";
constexpr const char* UnsupportedText = "Unsupported JPEG colour format";
constexpr const char* ErrorPrefix = "JPEG error: ";

// Everything the callbacks reach. Plain data only: a long jump passes over it.
struct Session {
    jpeg_error_mgr err; // first: libjpeg hands the callbacks cinfo->err
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    JpegError reason;
    int maxScans;
    char message[JMSG_LENGTH_MAX];
};

Session& SessionOf(j_common_ptr cinfo)
{
    return *reinterpret_cast<Session*>(cinfo->err);
}

[[noreturn]] void Abandon(j_common_ptr cinfo, JpegError reason)
{
    Session& s = SessionOf(cinfo);
    s.reason = reason;
    std::longjmp(s.jump, 1);
}

void OnError(j_common_ptr cinfo)
{
    (*cinfo->err->format_message)(cinfo, SessionOf(cinfo).message);
    Abandon(cinfo, JpegError::Corrupt);
}

// Level -1 is a warning about damaged data (see the header comment); trace levels are dropped
// instead of going to stderr.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        OnError(cinfo);
}

void OnProgress(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > SessionOf(cinfo).maxScans)
        Abandon(cinfo, JpegError::TooManyScans);
}

// Each step below is a frame that libjpeg may long-jump back into: none of them holds an object
// with a destructor, and each reports failure by returning false.

bool Create(jpeg_decompress_struct* cinfo, Session* s)
{
    if (setjmp(s->jump))
        return false;
    jpeg_create_decompress(cinfo);
    return true;
}

bool ReadHeader(jpeg_decompress_struct* cinfo, Session* s, const uint8_t* data, unsigned long size)
{
    if (setjmp(s->jump))
        return false;
    jpeg_mem_src(cinfo, data, size);
    jpeg_read_header(cinfo, TRUE);
    return true;
}

bool Start(jpeg_decompress_struct* cinfo, Session* s)
{
    if (setjmp(s->jump))
        return false;
    cinfo->out_color_space = JCS_EXT_BGR;
    cinfo->progress = &s->progress;
    jpeg_start_decompress(cinfo);
    return true;
}

bool ReadRows(jpeg_decompress_struct* cinfo, Session* s, uint8_t* pixels, size_t stride)
{
    if (setjmp(s->jump))
        return false;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = pixels + cinfo->output_scanline * stride;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

class DecompressGuard {
public:
    explicit DecompressGuard(jpeg_decompress_struct& c) : FCinfo(c) {}
    DecompressGuard(const DecompressGuard&) = delete;
    DecompressGuard& operator=(const DecompressGuard&) = delete;
    ~DecompressGuard() { jpeg_destroy_decompress(&FCinfo); }

private:
    jpeg_decompress_struct& FCinfo;
};

[[noreturn]] void Throw(const Session& s)
{
    switch (s.reason) {
    case JpegError::TooLarge: throw EJPEG(TooLargeText, s.reason);
    case JpegError::TooManyScans: throw EJPEG(TooManyScansText, s.reason);
    case JpegError::Unsupported: throw EJPEG(UnsupportedText, s.reason);
    case JpegError::Corrupt: break;
    }
    throw EJPEG(std::string(ErrorPrefix) + s.message, s.reason);
}

} // namespace

JpegImage DecodeJpeg(std::span<const uint8_t> data, const JpegLimits& limits)
{
    if (data.size() > std::numeric_limits<unsigned long>::max())
        throw EJPEG(TooLargeText, JpegError::TooLarge);

    Session s{};
    s.maxScans = limits.MaxScans;
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&s.err);
    s.err.error_exit = OnError;
    s.err.emit_message = OnMessage;
    s.progress.progress_monitor = OnProgress;
    if (!Create(&cinfo, &s))
        Throw(s);
    DecompressGuard guard(cinfo);

    if (!ReadHeader(&cinfo, &s, data.data(), static_cast<unsigned long>(data.size())))
        Throw(s);
    if (cinfo.num_components != 1 && cinfo.num_components != 3)
        throw EJPEG(UnsupportedText, JpegError::Unsupported);
    const uint64_t pixels = uint64_t{cinfo.image_width} * cinfo.image_height;
    if (pixels > limits.MaxPixels || cinfo.image_width > 0x7FFFFFFF || cinfo.image_height > 0x7FFFFFFF)
        throw EJPEG(TooLargeText, JpegError::TooLarge);
    if (!Start(&cinfo, &s))
        Throw(s);

    JpegImage img;
    img.width = static_cast<int>(cinfo.output_width);
    img.height = static_cast<int>(cinfo.output_height);
    img.pixels.assign(img.Stride() * cinfo.output_height, 0);
    if (!ReadRows(&cinfo, &s, img.pixels.data(), img.Stride()))
        Throw(s);
    return img;
}

} // namespace ks
