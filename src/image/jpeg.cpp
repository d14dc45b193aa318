// The JPEG reader: libjpeg decodes, this lays the rows out as 32-bit pixels (blue, green, red, 0).
#include <cstdio>
#include <cstdlib>
#include <string>

// jpeglib.h wants size_t and FILE declared first.
#include <jpeglib.h>

#include "image/image.h"
#include "platform/paths.h"

namespace {

// The library's message on standard error, then the end of the program with status 255.
[[noreturn]] void fatalerror(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    std::exit(255);
}

} // namespace

int readjpg(const char *filename, unsigned char *dest, size_t destsize) {
    const std::string path = translatepath(filename);
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;

    jpeg_decompress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jerr.error_exit = fatalerror;
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, f);
    jpeg_read_header(&cinfo, TRUE);
    // Colour files decode to RGB by default; a grey file is expanded to grey pixels the same way.
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);

    const JDIMENSION width = cinfo.output_width;
    JSAMPARRAY row =
        (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1);
    size_t at = 0;
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, row, 1);
        const unsigned char *s = row[0];
        // Rows that do not fit the destination are decoded and dropped: never written past its end.
        for (JDIMENSION c = 0; c < width; c++, at += 4) {
            if (at + 4 > destsize) continue;
            dest[at] = s[c * 3 + 2];
            dest[at + 1] = s[c * 3 + 1];
            dest[at + 2] = s[c * 3];
            dest[at + 3] = 0;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return 1;
}
