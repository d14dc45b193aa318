#include "platform/capture.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/platform.h"
#include "platform/program.h"

namespace {

struct CaptureState {
    bool active = false;
    bool video = false;
    std::string dest;   // the video file, or the folder
    std::string folder; // where frames and audio go while capturing
    std::FILE *wav = nullptr;
    long wavframes = 0;
    std::FILE *ffmpeg = nullptr;
    long frames = 0;
    std::vector<uint32_t> scaled; // one 640 x 480 frame for the video stream
};
CaptureState cap;

void put32(std::FILE *f, uint32_t v) {
    unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
}
void put16(std::FILE *f, uint16_t v) {
    unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

void writewavheader(std::FILE *f, long frames) {
    const uint32_t data = uint32_t(frames) * 4;
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1); // PCM
    put16(f, 2);
    put32(f, AUDIO_RATE);
    put32(f, AUDIO_RATE * 4);
    put16(f, 4);
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, data);
}

bool hasffmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

bool isvideoname(const std::string &d) {
    for (const char *ext : {".mp4", ".mkv", ".webm", ".mov", ".avi"}) {
        const std::string e(ext);
        if (d.size() > e.size() && d.compare(d.size() - e.size(), e.size(), e) == 0) return true;
    }
    return false;
}

std::string quoted(const std::string &s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

bool writepng(const std::string &path, const uint32_t *pixels, int width, int height) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "%s: cannot write %s\n", programname(), path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        std::fprintf(stderr, "%s: cannot write %s\n", programname(), path.c_str());
        return false;
    }
    png_init_io(png, f);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<unsigned char> row(size_t(width) * 3);
    for (int y = 0; y < height; y++) {
        const uint32_t *p = pixels + size_t(y) * width;
        for (int x = 0; x < width; x++) {
            row[x * 3 + 0] = uint8_t(p[x] >> 16);
            row[x * 3 + 1] = uint8_t(p[x] >> 8);
            row[x * 3 + 2] = uint8_t(p[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool capture_start(const std::string &dest) {
    cap = CaptureState{};
    cap.dest = dest;
    cap.video = isvideoname(dest);
    if (cap.video && !hasffmpeg()) {
        cap.video = false;
        cap.folder = dest.substr(0, dest.rfind('.'));
        std::fprintf(stderr, "%s: ffmpeg is not installed; writing PNG frames and audio.wav to %s instead\n",
                     programname(), cap.folder.c_str());
    } else {
        cap.folder = cap.video ? dest + ".parts" : dest;
    }
    ::mkdir(cap.folder.c_str(), 0755);
    struct stat st;
    if (::stat(cap.folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "%s: cannot create the capture folder %s\n", programname(), cap.folder.c_str());
        return false;
    }
    const std::string wavpath = cap.folder + "/audio.wav";
    cap.wav = std::fopen(wavpath.c_str(), "wb");
    if (!cap.wav) {
        std::fprintf(stderr, "%s: cannot write %s\n", programname(), wavpath.c_str());
        return false;
    }
    writewavheader(cap.wav, 0);
    if (cap.video) {
        const std::string cmd = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt bgra -s 640x480 -r 60 -i - "
                                "-c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p " +
                                quoted(cap.folder + "/video.mkv");
        cap.ffmpeg = ::popen(cmd.c_str(), "w");
        if (!cap.ffmpeg) {
            std::fprintf(stderr, "%s: cannot start ffmpeg\n", programname());
            return false;
        }
        cap.scaled.assign(640 * 480, 0);
    }
    cap.active = true;
    return true;
}

bool capture_active() {
    return cap.active;
}

void capture_frame(const uint32_t *pixels, int width, int height) {
    if (!cap.active) return;
    cap.frames++;
    if (cap.video) {
        // The video keeps one size: the screen scaled to 640 x 480, nearest neighbour.
        for (int y = 0; y < 480; y++) {
            const uint32_t *src = pixels + size_t(y * height / 480) * width;
            for (int x = 0; x < 640; x++)
                cap.scaled[size_t(y) * 640 + x] = src[x * width / 640] | 0xFF000000u;
        }
        std::fwrite(cap.scaled.data(), 4, cap.scaled.size(), cap.ffmpeg);
    } else {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06ld.png", cap.frames);
        writepng(cap.folder + name, pixels, width, height);
    }
}

void capture_audio(const float *stereo, int frames) {
    if (!cap.active) return;
    for (int i = 0; i < frames * 2; i++) {
        float s = stereo[i] * 32767.0f;
        s = s > 32767.0f ? 32767.0f : s < -32768.0f ? -32768.0f : s;
        put16(cap.wav, uint16_t(int16_t(s)));
    }
    cap.wavframes += frames;
}

void capture_finish() {
    if (!cap.active) return;
    cap.active = false;
    std::fseek(cap.wav, 0, SEEK_SET);
    writewavheader(cap.wav, cap.wavframes);
    std::fclose(cap.wav);
    if (cap.video) {
        ::pclose(cap.ffmpeg);
        const std::string cmd = "ffmpeg -loglevel error -y -i " + quoted(cap.folder + "/video.mkv") + " -i " +
                                quoted(cap.folder + "/audio.wav") + " -c:v copy -c:a aac -b:a 192k " +
                                quoted(cap.dest);
        if (std::system(cmd.c_str()) == 0) {
            std::remove((cap.folder + "/video.mkv").c_str());
            std::remove((cap.folder + "/audio.wav").c_str());
            ::rmdir(cap.folder.c_str());
            std::fprintf(stderr, "%s: captured %ld frames to %s\n", programname(), cap.frames,
                         cap.dest.c_str());
        } else {
            std::fprintf(stderr, "%s: ffmpeg could not mux %s; the parts are in %s\n", programname(),
                         cap.dest.c_str(), cap.folder.c_str());
        }
    } else {
        std::fprintf(stderr, "%s: captured %ld frames and audio.wav to %s\n", programname(), cap.frames,
                     cap.folder.c_str());
    }
}
