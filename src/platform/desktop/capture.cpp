// Captures: the shown frames and the music of a headless run, as a folder of PNG frames with a WAV file,
// or through ffmpeg as a video file with sound. Frames are compressed or piped on worker threads, so the
// show goes on drawing meanwhile; every frame still goes to its own file or in its own order.
#include "platform/capture.h"

#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/program.h"

namespace {

// Every name the README lists. The video is encoded while the show runs and joined with the sound at the
// end; each container gets codecs it takes. AVI keeps its video in AVI meanwhile: from any other container
// its muxer doubles the frame count.
const CaptureFormat FORMATS[] = {
    {".lossless.mkv", "lossless archival copy: FFV1 video and FLAC audio in Matroska",
     "-c:v ffv1 -level 3 -g 1 -slices 4 -slicecrc 1 -pix_fmt bgr0", "-c:a flac", "nut"},
    {".mp4", "H.264 video and AAC audio", "-c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p",
     "-c:a aac -b:a 192k -movflags +faststart", "nut"},
    {".mkv", "H.264 video and FLAC audio in Matroska",
     "-c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p", "-c:a flac", "nut"},
    {".mov", "H.264 video and AAC audio in QuickTime",
     "-c:v libx264 -preset veryfast -crf 16 -pix_fmt yuv420p", "-c:a aac -b:a 192k", "nut"},
    {".webm", "VP9 video and Opus audio in WebM",
     "-c:v libvpx-vp9 -deadline realtime -cpu-used 8 -row-mt 1 -crf 24 -b:v 0 -pix_fmt yuv420p",
     "-c:a libopus -b:a 160k", "nut"},
    {".avi", "MPEG-4 Part 2 video and PCM audio in AVI", "-c:v mpeg4 -q:v 2 -pix_fmt yuv420p",
     "-c:a pcm_s16le", "avi"},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

constexpr int SLOTS = 8;

struct Slot {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    long number = 0;
};

struct CaptureState {
    bool active = false;
    const CaptureFormat *format = nullptr; // null: a PNG folder
    std::string dest;                      // the video file, or the folder
    std::string folder;                    // where frames and audio go while capturing
    std::FILE *wav = nullptr;
    long wavframes = 0;
    std::FILE *sums = nullptr; // a ".sums" capture: one frame checksum a line, nothing else
    std::FILE *ffmpeg = nullptr;
    long frames = 0;
    std::vector<uint32_t> scaled; // one 640 x 480 frame for the video stream (writer thread only)
    // The workers and their queue.
    Slot slots[SLOTS];
    std::deque<int> pending, free;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::thread> workers;
    bool closing = false;
    std::atomic<bool> failed{false};
    std::string reason; // the first failure, under lock
};
CaptureState *cap = new CaptureState; // lives to the end, as the capture may still be running at exit

void fail(const std::string &why) {
    std::lock_guard<std::mutex> g(cap->lock);
    if (cap->reason.empty()) cap->reason = why;
    cap->failed = true;
}

void put32(unsigned char *b, uint32_t v) {
    b[0] = uint8_t(v), b[1] = uint8_t(v >> 8), b[2] = uint8_t(v >> 16), b[3] = uint8_t(v >> 24);
}

void writewavheader(std::FILE *f, long frames) {
    const uint32_t data = uint32_t(frames) * 4;
    unsigned char h[44];
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + data);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put32(h + 20, 1 | 2 << 16); // PCM, two channels
    put32(h + 24, AUDIO_RATE);
    put32(h + 28, AUDIO_RATE * 4);
    put32(h + 32, 4 | 16 << 16); // block of 4 bytes, 16 bits a sample
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, data);
    std::fwrite(h, 1, sizeof h, f);
}

bool hasffmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

bool endswith(const std::string &s, const char *e) {
    const size_t n = std::strlen(e);
    return s.size() > n && s.compare(s.size() - n, n, e) == 0;
}

std::string quoted(const std::string &s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The last line ffmpeg wrote to its log: its reason.
std::string ffmpegreason(const std::string &log) {
    std::ifstream in(log);
    std::string line, last;
    while (std::getline(in, line))
        if (line.find_first_not_of(" \t\r") != std::string::npos) last = line;
    while (!last.empty() && (last.back() == '\r' || last.back() == ' ')) last.pop_back();
    return last.empty() ? "ffmpeg gave no reason" : last;
}

std::string exitreason(int status, const std::string &log) {
    if (status == -1) return std::strerror(errno);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return "ffmpeg could not be started";
    return ffmpegreason(log);
}

void videoframe(const Slot &s) {
    // The video keeps one size: the screen scaled to 640 x 480, nearest neighbour.
    for (int y = 0; y < 480; y++) {
        const uint32_t *src = s.pixels.data() + size_t(y * s.height / 480) * s.width;
        for (int x = 0; x < 640; x++) cap->scaled[size_t(y) * 640 + x] = src[x * s.width / 640] | 0xFF000000u;
    }
    if (std::fwrite(cap->scaled.data(), 4, cap->scaled.size(), cap->ffmpeg) != cap->scaled.size())
        fail(ffmpegreason(cap->folder + "/ffmpeg.log"));
}

void pngframe(const Slot &s) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06ld.png", s.number);
    std::string why;
    if (!writepng(cap->folder + name, s.pixels.data(), s.width, s.height, 1, &why)) fail(why);
}

void worker() {
    for (;;) {
        int i;
        {
            std::unique_lock<std::mutex> g(cap->lock);
            cap->changed.wait(g, [] { return !cap->pending.empty() || cap->closing; });
            if (cap->pending.empty()) return;
            i = cap->pending.front();
            cap->pending.pop_front();
        }
        if (!cap->failed) {
            if (cap->format)
                videoframe(cap->slots[i]);
            else
                pngframe(cap->slots[i]);
        }
        {
            std::lock_guard<std::mutex> g(cap->lock);
            cap->free.push_back(i);
        }
        cap->changed.notify_all();
    }
}

void startworkers() {
    cap->closing = false;
    cap->pending.clear();
    cap->free.clear();
    for (int i = 0; i < SLOTS; i++) cap->free.push_back(i);
    // A video is one stream in order; PNG frames are files of their own, written by as many as there are
    // cores.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned n = cap->format ? 1 : std::min(4u, cores);
    for (unsigned k = 0; k < n; k++) cap->workers.emplace_back(worker);
}

void stopworkers() {
    {
        std::lock_guard<std::mutex> g(cap->lock);
        cap->closing = true;
    }
    cap->changed.notify_all();
    for (std::thread &t : cap->workers) t.join();
    cap->workers.clear();
}

std::string videopart() {
    return cap->folder + "/video." + (cap->format ? cap->format->parts : "nut");
}

void removeparts() {
    if (cap->format) std::remove(videopart().c_str());
    for (const char *f : {"/audio.wav", "/ffmpeg.log"}) std::remove((cap->folder + f).c_str());
    ::rmdir(cap->folder.c_str());
}

} // namespace

bool writepng(const std::string &path, const uint32_t *pixels, int width, int height, int level,
              std::string *why) {
    auto failed = [&](const std::string &reason) {
        if (why)
            *why = path + ": " + reason;
        else
            std::fprintf(stderr, "%s: cannot write %s (%s)\n", programname(), path.c_str(), reason.c_str());
        return false;
    };
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return failed(std::strerror(errno));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<unsigned char> row(size_t(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return failed("the PNG library gave up");
    }
    png_init_io(png, f);
    png_set_compression_level(png, level);
    // At the fast levels the Up filter with run-length matching compresses the show's frames as small as
    // level 3 trying all five filters does, in less than half the time.
    if (level <= 2) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
        png_set_compression_strategy(png, Z_RLE);
    }
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
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
    const bool flushed = std::fflush(f) == 0 && !std::ferror(f);
    const int err = errno;
    if (std::fclose(f) != 0 || !flushed) return failed(std::strerror(flushed ? errno : err));
    return true;
}

const CaptureFormat *capture_formats() {
    return FORMATS;
}

const CaptureFormat *capture_formatof(const std::string &dest) {
    for (const CaptureFormat *f = FORMATS; f->ending; f++)
        if (endswith(dest, f->ending)) return f;
    return nullptr;
}

bool capture_start(const std::string &dest) {
    if (cap->active) capture_finish();
    // Other video and sound names would silently become a folder of that name: refused instead.
    for (const char *e : {".gif", ".mpg", ".mpeg", ".m4v", ".ogv", ".ogg", ".flv", ".ts", ".wmv", ".3gp",
                          ".mp3", ".wav", ".flac", ".mka", ".apng"}) {
        if (!endswith(dest, e)) continue;
        std::string names;
        for (const CaptureFormat *f = FORMATS; f->ending; f++)
            names += std::string(names.empty() ? "" : ", ") + f->ending;
        std::fprintf(stderr,
                     "%s: %s: not a capture this program writes; name a video file (%s) or a folder\n",
                     programname(), dest.c_str(), names.c_str());
        return false;
    }
    cap->format = capture_formatof(dest);
    cap->dest = dest;
    cap->frames = cap->wavframes = 0;
    cap->failed = false;
    cap->reason.clear();
    if (endswith(dest, ".sums")) {
        cap->format = nullptr;
        cap->sums = std::fopen(dest.c_str(), "w");
        if (!cap->sums) {
            std::fprintf(stderr, "%s: cannot write %s (%s)\n", programname(), dest.c_str(),
                         std::strerror(errno));
            return false;
        }
        cap->active = true;
        return true;
    }
    if (cap->format && !hasffmpeg()) {
        cap->folder = dest.substr(0, dest.size() - std::strlen(cap->format->ending));
        cap->format = nullptr;
        std::fprintf(stderr, "%s: ffmpeg is not installed; writing PNG frames and audio.wav to %s instead\n",
                     programname(), cap->folder.c_str());
    } else {
        cap->folder = cap->format ? dest + ".parts" : dest;
    }
    ::mkdir(cap->folder.c_str(), 0755);
    struct stat st;
    if (::stat(cap->folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "%s: cannot create the capture folder %s\n", programname(), cap->folder.c_str());
        return false;
    }
    const std::string wavpath = cap->folder + "/audio.wav";
    cap->wav = std::fopen(wavpath.c_str(), "wb");
    if (!cap->wav) {
        std::fprintf(stderr, "%s: cannot write %s (%s)\n", programname(), wavpath.c_str(),
                     std::strerror(errno));
        return false;
    }
    writewavheader(cap->wav, 0);
    if (cap->format) {
        // A dead ffmpeg must show as a failed write, not end the show.
        std::signal(SIGPIPE, SIG_IGN);
        const std::string cmd = std::string("ffmpeg -nostdin -hide_banner -loglevel error -y -f rawvideo ") +
                                "-pix_fmt bgra -s 640x480 -r 60 -i - " + cap->format->video + " -f " +
                                cap->format->parts + " " + quoted(videopart()) + " 2>" +
                                quoted(cap->folder + "/ffmpeg.log");
        cap->ffmpeg = ::popen(cmd.c_str(), "w");
        if (!cap->ffmpeg) {
            std::fprintf(stderr, "%s: %s: cannot start ffmpeg (%s)\n", programname(), dest.c_str(),
                         std::strerror(errno));
            removeparts();
            return false;
        }
        cap->scaled.assign(640 * 480, 0);
    }
    startworkers();
    cap->active = true;
    return true;
}

bool capture_active() {
    return cap->active;
}

bool capture_failed() {
    return cap->failed;
}

void capture_frame(const uint32_t *pixels, int width, int height) {
    if (!cap->active || cap->failed) return;
    if (cap->sums) {
        cap->frames++;
        if (std::fprintf(cap->sums, "%u\n", unsigned(framesum(pixels, width, height))) < 0)
            fail(cap->dest + ": " + std::strerror(errno));
        return;
    }
    int i;
    {
        std::unique_lock<std::mutex> g(cap->lock);
        cap->changed.wait(g, [] { return !cap->free.empty(); });
        i = cap->free.front();
        cap->free.pop_front();
    }
    Slot &s = cap->slots[i];
    s.pixels.resize(size_t(width) * height); // grows only when a larger screen first appears
    std::memcpy(s.pixels.data(), pixels, size_t(width) * height * 4);
    s.width = width;
    s.height = height;
    s.number = ++cap->frames;
    {
        std::lock_guard<std::mutex> g(cap->lock);
        cap->pending.push_back(i);
    }
    cap->changed.notify_all();
}

void capture_audio(const float *stereo, int frames) {
    if (!cap->active || cap->sums) return;
    int16_t block[2 * 1024];
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, 1024);
        for (int i = 0; i < n * 2; i++) {
            float s = stereo[done * 2 + i] * 32767.0f;
            s = s > 32767.0f ? 32767.0f : s < -32768.0f ? -32768.0f : s;
            const int16_t v = int16_t(s);
            unsigned char *b = reinterpret_cast<unsigned char *>(&block[i]);
            b[0] = uint8_t(v), b[1] = uint8_t(uint16_t(v) >> 8); // little-endian on every machine
        }
        if (std::fwrite(block, 4, size_t(n), cap->wav) != size_t(n))
            fail(cap->folder + "/audio.wav: " + std::strerror(errno));
        done += n;
    }
    cap->wavframes += frames;
}

bool capture_finish() {
    if (!cap->active) return true;
    cap->active = false;
    if (cap->sums) {
        if (std::fclose(cap->sums) != 0) fail(cap->dest + ": " + std::strerror(errno));
        cap->sums = nullptr;
        if (cap->failed) {
            std::fprintf(stderr, "%s: capture to %s failed: %s\n", programname(), cap->dest.c_str(),
                         cap->reason.c_str());
            std::remove(cap->dest.c_str());
            return false;
        }
        std::fprintf(stderr, "%s: captured the checksums of %ld frames to %s\n", programname(), cap->frames,
                     cap->dest.c_str());
        return true;
    }
    stopworkers();
    std::fseek(cap->wav, 0, SEEK_SET);
    writewavheader(cap->wav, cap->wavframes);
    if (std::fclose(cap->wav) != 0) fail(cap->folder + "/audio.wav: " + std::strerror(errno));
    cap->wav = nullptr;
    if (!cap->format) {
        if (cap->failed) {
            std::fprintf(stderr, "%s: capture to %s failed: %s\n", programname(), cap->folder.c_str(),
                         cap->reason.c_str());
            return false;
        }
        std::fprintf(stderr, "%s: captured %ld frames and audio.wav to %s\n", programname(), cap->frames,
                     cap->folder.c_str());
        return true;
    }
    const std::string log = cap->folder + "/ffmpeg.log";
    const int status = ::pclose(cap->ffmpeg);
    cap->ffmpeg = nullptr;
    if (!cap->failed && status != 0) fail(exitreason(status, log));
    if (!cap->failed) {
        const std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y -i " + quoted(videopart()) +
                                " -i " + quoted(cap->folder + "/audio.wav") +
                                " -map 0:v -map 1:a -c:v copy " + cap->format->audio + " " +
                                quoted(cap->dest) + " 2>" + quoted(log);
        const int mux = std::system(cmd.c_str());
        if (mux != 0) fail(exitreason(mux, log));
    }
    if (cap->failed) {
        std::remove(cap->dest.c_str());
        removeparts();
        std::fprintf(stderr, "%s: %s: ffmpeg failed: %s\n", programname(), cap->dest.c_str(),
                     cap->reason.c_str());
        return false;
    }
    removeparts();
    std::fprintf(stderr, "%s: captured %ld frames to %s\n", programname(), cap->frames, cap->dest.c_str());
    return true;
}
