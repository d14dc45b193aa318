// The JPEG reader: libjpeg decodes, this lays the rows out as 32-bit pixels (blue, green, red, 0).
#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// jpeglib.h wants size_t and FILE declared first.
#include <jpeglib.h>
// After jpeglib.h: the message codes.
#include <jerror.h>

#include "image/image.h"
#include "platform/paths.h"
#include "platform/program.h"

namespace {

// libjpeg's working memory for one picture. A progressive picture keeps all its coefficients, about 2 to
// 6 bytes a pixel: this is enough for pictures far larger than the show's and stops a lying header from
// taking the machine's memory.
constexpr long MAXJPEGMEMORY = 256L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr std;
    const char *name;
    jmp_buf escape;
    char message[JMSG_LENGTH_MAX];
    bool fatal; // errors end the program (the readers' own way) or return to the caller
};

// Every message of the library names the file first.
void outputmessage(j_common_ptr cinfo) {
    ErrorManager *e = reinterpret_cast<ErrorManager *>(cinfo->err);
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    if (e->fatal) std::fprintf(stderr, "%s: %s: %s\n", programname(), e->name, text);
}

// The library's message, then the end of the program with status 255; or, for the in-memory reader,
// back to it with the message.
[[noreturn]] void errorexit(j_common_ptr cinfo) {
    ErrorManager *e = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    // The library's own words for a picture beyond the memory limit speak of a backing store.
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE && cinfo->is_decompressor) {
        const auto *d = reinterpret_cast<j_decompress_ptr>(cinfo);
        std::snprintf(e->message, sizeof e->message,
                      "the picture is %u x %u pixels, too large for the show: decoding it needs more than "
                      "the %ld MB a picture may take",
                      unsigned(d->image_width), unsigned(d->image_height), MAXJPEGMEMORY >> 20);
    }
    if (e->fatal) {
        std::fprintf(stderr, "%s: %s: %s\n", programname(), e->name, e->message);
        std::exit(255);
    }
    std::longjmp(e->escape, 1);
}

// Decodes from the open file f, or else from the bytes in memory. Null on success, else the reason.
// Only rows that land in dest are decoded.
const char *decode(jpeg_decompress_struct *cinfo, ErrorManager *err, std::FILE *f, const unsigned char *data,
                   size_t size, unsigned char *dest, size_t destsize) {
    if (setjmp(err->escape)) {
        jpeg_destroy_decompress(cinfo);
        return err->message;
    }
    if (f)
        jpeg_stdio_src(cinfo, f);
    else
        jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    cinfo->mem->max_memory_to_use = MAXJPEGMEMORY;
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->image_width > MAXPICTURESIDE || cinfo->image_height > MAXPICTURESIDE) {
        std::snprintf(err->message, sizeof err->message,
                      "the JPEG declares %u x %u pixels, more than any picture can be (32768 a side)",
                      unsigned(cinfo->image_width), unsigned(cinfo->image_height));
        if (err->fatal) {
            std::fprintf(stderr, "%s: %s: %s\n", programname(), err->name, err->message);
            std::exit(255);
        }
        jpeg_destroy_decompress(cinfo);
        return err->message;
    }
    // Colour files decode to RGB by default; a grey file is expanded to grey pixels the same way.
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo);

    const JDIMENSION width = cinfo->output_width;
    JSAMPARRAY row =
        (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, width * 4, 1);
    const size_t rowbytes = size_t(width) * 4;
    size_t at = 0;
    while (cinfo->output_scanline < cinfo->output_height) {
        // A picture taller than the block: the rows that cannot land are not decoded at all.
        if (at >= destsize) {
            jpeg_abort_decompress(cinfo);
            break;
        }
        jpeg_read_scanlines(cinfo, row, 1);
        const unsigned char *s = row[0];
        const size_t n = std::min(rowbytes, destsize - at) / 4;
        for (size_t c = 0; c < n; c++) {
            unsigned char *d = dest + at + c * 4;
            d[0] = s[c * 3 + 2];
            d[1] = s[c * 3 + 1];
            d[2] = s[c * 3];
            d[3] = 0;
        }
        at += rowbytes;
    }
    if (cinfo->output_scanline >= cinfo->output_height) jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return nullptr;
}

void setup(jpeg_decompress_struct *cinfo, ErrorManager *err, const char *name, bool fatal) {
    cinfo->err = jpeg_std_error(&err->std);
    err->std.error_exit = errorexit;
    err->std.output_message = outputmessage;
    err->name = name;
    err->fatal = fatal;
    err->message[0] = 0;
    jpeg_create_decompress(cinfo);
}

} // namespace

int readjpg(const char *filename, unsigned char *dest, size_t destsize) {
    const std::string path = translatepath(filename);
    std::FILE *f = std::fopen(path.c_str(), "rb");
    // A missing picture shows black. So does one that is there but cannot be read (no permission, a
    // folder), but with a line that says why rather than leave the viewer guessing.
    if (!f && (errno == ENOENT || errno == ENOTDIR)) return 0;
    int why = f ? 0 : errno;
    if (struct stat st; f && fstat(fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) why = EISDIR;
    if (why) {
        std::fprintf(stderr, "%s: %s: %s\n", programname(), path.c_str(), std::strerror(why));
        if (f) std::fclose(f);
        return 0;
    }
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    setup(&cinfo, &err, path.c_str(), true);
    decode(&cinfo, &err, f, nullptr, 0, dest, destsize);
    std::fclose(f);
    return 1;
}

const char *decodejpg(const unsigned char *data, size_t size, unsigned char *dest, size_t destsize) {
    static thread_local char message[JMSG_LENGTH_MAX];
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    setup(&cinfo, &err, "memory", false);
    const char *why = decode(&cinfo, &err, nullptr, data, size, dest, destsize);
    if (!why) return nullptr;
    std::snprintf(message, sizeof message, "%s", why);
    return message;
}
