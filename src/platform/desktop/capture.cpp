// Captures: the shown frames and the music of a headless run, as a folder of PNG frames with a WAV file,
// or through ffmpeg as a video file with sound. Frames are compressed or piped on worker threads, so the
// show goes on drawing meanwhile; every frame still goes to its own file or in its own order.
#include "platform/capture.h"

#include <dirent.h>
#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <strings.h>
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
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/program.h"

extern char **environ;

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

// Other media names: a folder of that name would surprise whoever gave it, so they are refused.
const char *const SOUNDNAMES[] = {".wav",  ".mp3", ".mp2", ".flac", ".ogg", ".oga",  ".opus", ".m4a",
                                  ".aac",  ".mka", ".wma", ".aiff", ".aif", ".aifc", ".au",   ".ac3",
                                  ".eac3", ".dts", ".amr", ".ape",  ".wv",  ".caf",  ".weba"};
const char *const OTHERNAMES[] = {
    ".gif",  ".apng", ".mpg", ".mpeg", ".m1v", ".m2v",  ".m4v",  ".ogv",  ".flv",  ".f4v",   ".ts",
    ".m2ts", ".mts",  ".wmv", ".asf",  ".3gp", ".3g2",  ".vob",  ".mxf",  ".rm",   ".rmvb",  ".divx",
    ".y4m",  ".ivf",  ".nut", ".dv",   ".qt",  ".h264", ".264",  ".hevc", ".h265", ".mjpeg", ".png",
    ".jpg",  ".jpeg", ".bmp", ".tga",  ".tif", ".tiff", ".webp", ".avif"};

constexpr int SLOTS = 8;
// The end of ffmpeg's messages that is kept: its reason is the last line.
constexpr size_t LOG_KEPT = 64 * 1024;

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
    bool made = false;                     // the folder was made by this capture
    std::FILE *wav = nullptr;
    long wavframes = 0;
    pid_t ffmpeg = -1;
    int ffmpegin = -1;     // the frames' pipe to ffmpeg
    std::thread logreader; // reads ffmpeg's messages into ffmpeglog until ffmpeg ends
    std::string ffmpeglog;
    std::FILE *sums = nullptr; // a ".sums" capture: one frame checksum a line, nothing else
    long frames = 0;
    // The video keeps one size whatever size the screen has at the moment.
    int videowidth = 640, videoheight = 480;
    std::vector<uint32_t> scaled; // one frame of the video's size (writer thread only)
    // The workers and their queue.
    Slot slots[SLOTS];
    std::deque<int> pending, free;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::thread> workers;
    bool closing = false;
    std::atomic<bool> failed{false};
    bool ffmpegstopped = false; // ffmpeg took no more frames: its own messages say why
    std::string reason;         // the first failure, under lock
};
CaptureState *cap = new CaptureState; // lives to the end, as the capture may still be running at exit

void fail(const std::string &why) {
    std::lock_guard<std::mutex> g(cap->lock);
    if (cap->reason.empty() && !cap->ffmpegstopped) cap->reason = why;
    cap->failed = true;
}

void put32(unsigned char *b, uint32_t v) {
    b[0] = uint8_t(v), b[1] = uint8_t(v >> 8), b[2] = uint8_t(v >> 16), b[3] = uint8_t(v >> 24);
}

bool writewavheader(std::FILE *f, long frames) {
    const uint32_t data = wavdatasize(frames);
    unsigned char h[44];
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, data > WAV_UNSIZED - 36 ? WAV_UNSIZED : 36 + data);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put32(h + 20, 1 | 2 << 16); // PCM, two channels
    put32(h + 24, AUDIO_RATE);
    put32(h + 28, AUDIO_RATE * 4);
    put32(h + 32, 4 | 16 << 16); // block of 4 bytes, 16 bits a sample
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, data);
    return std::fwrite(h, 1, sizeof h, f) == sizeof h;
}

// Endings are matched whatever their case: SHOW.MP4 is a video as show.mp4 is.
bool endswith(const std::string &s, const char *e) {
    const size_t n = std::strlen(e);
    return s.size() > n && strcasecmp(s.c_str() + s.size() - n, e) == 0;
}

bool endsinany(const std::string &s, const char *const *names, size_t count) {
    for (size_t i = 0; i < count; i++)
        if (endswith(s, names[i])) return true;
    return false;
}

std::vector<std::string> words(const char *s) {
    std::vector<std::string> w;
    std::istringstream in(s);
    for (std::string word; in >> word;) w.push_back(word);
    return w;
}

// A file name ffmpeg cannot take for an option.
std::string ffmpegname(const std::string &path) {
    return !path.empty() && path[0] == '-' ? "./" + path : path;
}

// Starts ffmpeg with args, reading fd `in` (nothing when -1) and writing its messages to fd `err`. It runs
// in a session of its own: a terminal's Ctrl+C goes to the whole foreground process group, and must reach
// only the show, which then finishes the file; ffmpeg ends when its input does. -1 and errno when it
// cannot be started.
pid_t startffmpeg(const std::vector<std::string> &args, int in, int err) {
    std::vector<char *> argv{const_cast<char *>("ffmpeg")};
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    if (in >= 0)
        posix_spawn_file_actions_adddup2(&files, in, 0);
    else
        posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files, err, 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, reset;
    sigemptyset(&none);
    sigemptyset(&reset);
    sigaddset(&reset, SIGPIPE); // ignored here, so that a dead ffmpeg shows as a failed write
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &reset);
#ifdef POSIX_SPAWN_SETSID
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
#else
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
#endif
    pid_t pid = -1;
    const int e = posix_spawnp(&pid, "ffmpeg", &files, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&files);
    if (e != 0) {
        errno = e;
        return -1;
    }
    return pid;
}

// Reads fd to its end into log, keeping the last LOG_KEPT bytes, and closes it.
void readlog(int fd, std::string &log) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        log.append(buf, size_t(n));
        if (log.size() > 2 * LOG_KEPT) log.erase(0, log.size() - LOG_KEPT);
    }
    ::close(fd);
}

int waitfor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return status;
}

// Runs ffmpeg to its end: its exit status (-1 when it could not start, with errno) and its messages.
int runffmpeg(const std::vector<std::string> &args, std::string &log) {
    int err[2];
    if (::pipe2(err, O_CLOEXEC) != 0) return -1;
    const pid_t pid = startffmpeg(args, -1, err[1]);
    const int e = errno;
    ::close(err[1]);
    readlog(err[0], log);
    if (pid < 0) {
        errno = e;
        return -1;
    }
    return waitfor(pid);
}

bool hasffmpeg() {
    std::string log;
    return runffmpeg({"-version"}, log) == 0;
}

// Why ffmpeg failed: the last line it wrote. A write the system refused is told in the system's words,
// as the show's own writes are; *written says which it was.
std::string ffmpegreason(const std::string &log, int status, bool *written) {
    *written = false;
    std::string last;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.find_first_not_of(" \t\r") != std::string::npos) last = line;
    while (!last.empty() && (last.back() == '\r' || last.back() == ' ')) last.pop_back();
    for (int e : {ENOSPC, EDQUOT, EFBIG, EIO, EROFS}) {
        const std::string tail = std::string(": ") + std::strerror(e);
        if (endswith(last, tail.c_str())) {
            *written = true;
            return std::strerror(e);
        }
    }
    if (!last.empty()) return last;
    if (status == -1) return std::string("cannot run ffmpeg (") + std::strerror(errno) + ")";
    if (WIFSIGNALED(status))
        return std::string("ffmpeg was ended by signal ") + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return "ffmpeg gave no reason";
}

bool writeall(int fd, const void *data, size_t n) {
    const char *p = static_cast<const char *>(data);
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

void videoframe(const Slot &s) {
    // The screen scaled to the video's size, nearest neighbour.
    const int vw = cap->videowidth, vh = cap->videoheight;
    for (int y = 0; y < vh; y++) {
        const uint32_t *src = s.pixels.data() + size_t(y * s.height / vh) * s.width;
        uint32_t *dst = cap->scaled.data() + size_t(y) * vw;
        for (int x = 0; x < vw; x++) dst[x] = src[x * s.width / vw] | 0xFF000000u;
    }
    if (!writeall(cap->ffmpegin, cap->scaled.data(), cap->scaled.size() * 4)) {
        std::lock_guard<std::mutex> g(cap->lock);
        if (cap->reason.empty()) cap->ffmpegstopped = true;
        cap->failed = true;
    }
}

// How a failed write of the sound is told: a video's sound is part of the one file named.
std::string wavprefix() {
    return cap->format ? "" : cap->folder + "/audio.wav: ";
}

std::string framename(long number) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06ld.png", number);
    return cap->folder + name;
}

void pngframe(const Slot &s) {
    std::string why;
    if (!writepng(framename(s.number), s.pixels.data(), s.width, s.height, 1, &why)) fail(why);
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

// The files a capture writes into its folder, by name (a frame's name may run past six digits).
bool capturefile(const std::string &name) {
    if (name == "audio.wav" || name == "ffmpeg.log" || name == "video.nut" || name == "video.avi")
        return true;
    std::string n = name;
    if (endswith(n, ".part")) n.resize(n.size() - 5);
    if (n.compare(0, 6, "frame-") != 0 || !endswith(n, ".png") || n.size() < 6 + 6 + 4) return false;
    return n.find_first_not_of("0123456789", 6) == n.size() - 4;
}

// Makes the capture's folder, or empties a previous capture's: its later frames would otherwise stand
// beside this run's. A folder holding anything else is not the program's to empty. The reason when the
// folder cannot be used.
std::string preparefolder(const std::string &folder) {
    cap->made = false;
    if (::mkdir(folder.c_str(), 0755) == 0) {
        cap->made = true;
        return "";
    }
    if (errno != EEXIST) return std::strerror(errno);
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0) return std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return folder + " is a file, not a folder";
    DIR *d = ::opendir(folder.c_str());
    if (!d) return std::strerror(errno);
    std::vector<std::string> old;
    std::string other;
    while (const dirent *e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (capturefile(name))
            old.push_back(name);
        else if (other.empty())
            other = name;
    }
    ::closedir(d);
    if (!other.empty())
        return cap->format
                   ? "its working folder " + folder + " holds other files (" + other + ")"
                   : "the folder holds files of its own (" + other + "); name a new folder or an empty one";
    for (const std::string &name : old)
        if (std::remove((folder + "/" + name).c_str()) != 0)
            return folder + "/" + name + ": " + std::strerror(errno);
    return "";
}

// Removes what a capture wrote: it failed, or its parts are joined.
void removeparts(bool frames) {
    if (cap->format) std::remove(videopart().c_str());
    if (frames)
        for (long n = 1; n <= cap->frames; n++) std::remove(framename(n).c_str());
    std::remove((cap->folder + "/audio.wav").c_str());
    if (cap->made || cap->format) ::rmdir(cap->folder.c_str());
}

// libpng writes through these: a fault keeps its reason (the system's, when a write failed) instead of
// printing it.
struct PngOut {
    std::FILE *file = nullptr;
    int error = 0;
    char message[160] = "";
};

void pngwrite(png_structp png, png_bytep data, size_t n) {
    PngOut *out = static_cast<PngOut *>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, n, out->file) != n) {
        out->error = errno ? errno : EIO;
        png_error(png, "write failed");
    }
}

void pngflush(png_structp png) {
    PngOut *out = static_cast<PngOut *>(png_get_io_ptr(png));
    if (std::fflush(out->file) != 0) {
        out->error = errno ? errno : EIO;
        png_error(png, "write failed");
    }
}

void pngerror(png_structp png, png_const_charp message) {
    PngOut *out = static_cast<PngOut *>(png_get_error_ptr(png));
    std::snprintf(out->message, sizeof out->message, "%s", message);
    png_longjmp(png, 1);
}

void pngwarning(png_structp, png_const_charp) {}

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
    // Written under another name and renamed when whole: a fault leaves no part of a picture behind.
    const std::string part = path + ".part";
    PngOut out;
    out.file = std::fopen(part.c_str(), "wb");
    if (!out.file) return failed(std::strerror(errno));
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, pngerror, pngwarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(out.file);
        std::remove(part.c_str());
        return failed("out of memory");
    }
    std::vector<unsigned char> row(size_t(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out.file);
        std::remove(part.c_str());
        return failed(out.error ? std::strerror(out.error) : std::string("the PNG library: ") + out.message);
    }
    png_set_write_fn(png, &out, pngwrite, pngflush);
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
    errno = 0;
    int err = 0;
    if (std::fflush(out.file) != 0 || std::ferror(out.file)) err = errno ? errno : EIO;
    if (std::fclose(out.file) != 0 && err == 0) err = errno ? errno : EIO;
    if (err) {
        std::remove(part.c_str());
        return failed(std::strerror(err));
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        err = errno;
        std::remove(part.c_str());
        return failed(std::strerror(err));
    }
    return true;
}

uint32_t wavdatasize(long frames) {
    const unsigned long bytes = static_cast<unsigned long>(frames) * 4;
    return bytes > WAV_UNSIZED - 36 ? WAV_UNSIZED : static_cast<uint32_t>(bytes);
}

const CaptureFormat *capture_formats() {
    return FORMATS;
}

const CaptureFormat *capture_formatof(const std::string &dest) {
    for (const CaptureFormat *f = FORMATS; f->ending; f++)
        if (endswith(dest, f->ending)) return f;
    return nullptr;
}

bool capture_start(const std::string &dest, int videowidth, int videoheight) {
    if (cap->active) capture_finish();
    const bool sound = endsinany(dest, SOUNDNAMES, std::size(SOUNDNAMES));
    if (!capture_formatof(dest) && (sound || endsinany(dest, OTHERNAMES, std::size(OTHERNAMES)))) {
        std::string names;
        for (const CaptureFormat *f = FORMATS; f->ending; f++)
            names += std::string(names.empty() ? "" : ", ") + f->ending;
        if (sound)
            std::fprintf(stderr,
                         "%s: %s: a sound file alone is no capture; name a video file (%s) or a folder, "
                         "whose audio.wav holds the sound\n",
                         programname(), dest.c_str(), names.c_str());
        else
            std::fprintf(stderr,
                         "%s: %s: not a capture this program writes; name a video file (%s) or a folder\n",
                         programname(), dest.c_str(), names.c_str());
        return false;
    }
    cap->format = capture_formatof(dest);
    cap->dest = dest;
    cap->videowidth = videowidth > 0 ? videowidth : 640;
    cap->videoheight = videoheight > 0 ? videoheight : 480;
    cap->frames = cap->wavframes = 0;
    cap->failed = false;
    cap->ffmpegstopped = false;
    cap->reason.clear();
    cap->ffmpeglog.clear();
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
    // Named as given: the working folder of a video is the program's own business.
    const std::string named = cap->format ? dest : cap->folder;
    const std::string refused = preparefolder(cap->folder);
    if (!refused.empty()) {
        std::fprintf(stderr, "%s: %s: cannot capture there: %s\n", programname(), named.c_str(),
                     refused.c_str());
        return false;
    }
    const std::string wavpath = cap->folder + "/audio.wav";
    cap->wav = std::fopen(wavpath.c_str(), "wb");
    if (!cap->wav || !writewavheader(cap->wav, 0)) {
        std::fprintf(stderr, "%s: %s: cannot capture there: %s\n", programname(), named.c_str(),
                     std::strerror(errno));
        if (cap->wav) std::fclose(cap->wav);
        cap->wav = nullptr;
        removeparts(false);
        return false;
    }
    if (cap->format) {
        // A dead ffmpeg must show as a failed write, not end the show.
        std::signal(SIGPIPE, SIG_IGN);
        std::vector<std::string> args = {"-nostdin",
                                         "-hide_banner",
                                         "-loglevel",
                                         "error",
                                         "-y",
                                         "-f",
                                         "rawvideo",
                                         "-pix_fmt",
                                         "bgra",
                                         "-s",
                                         std::to_string(cap->videowidth) + "x" +
                                             std::to_string(cap->videoheight),
                                         "-r",
                                         "60",
                                         "-i",
                                         "-"};
        for (const std::string &w : words(cap->format->video)) args.push_back(w);
        args.insert(args.end(), {"-f", cap->format->parts, ffmpegname(videopart())});
        int in[2] = {-1, -1}, err[2] = {-1, -1};
        pid_t pid = -1;
        if (::pipe2(in, O_CLOEXEC) == 0 && ::pipe2(err, O_CLOEXEC) == 0)
            pid = startffmpeg(args, in[0], err[1]);
        const int e = errno;
        for (int fd : {in[0], err[1]})
            if (fd >= 0) ::close(fd);
        if (pid < 0) {
            for (int fd : {in[1], err[0]})
                if (fd >= 0) ::close(fd);
            std::fprintf(stderr, "%s: %s: cannot start ffmpeg (%s)\n", programname(), dest.c_str(),
                         std::strerror(e));
            std::fclose(cap->wav);
            cap->wav = nullptr;
            removeparts(false);
            return false;
        }
        cap->ffmpeg = pid;
        cap->ffmpegin = in[1];
        cap->logreader = std::thread(readlog, err[0], std::ref(cap->ffmpeglog));
        cap->scaled.assign(size_t(cap->videowidth) * cap->videoheight, 0);
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
    if (!cap->active || cap->failed || cap->sums) return;
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
        if (std::fwrite(block, 4, size_t(n), cap->wav) != size_t(n)) {
            fail(wavprefix() + std::strerror(errno));
            return;
        }
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
    if (!cap->failed) {
        errno = 0;
        if (std::fseek(cap->wav, 0, SEEK_SET) != 0 || !writewavheader(cap->wav, cap->wavframes) ||
            std::fflush(cap->wav) != 0)
            fail(wavprefix() + std::strerror(errno ? errno : EIO));
    }
    if (std::fclose(cap->wav) != 0) fail(wavprefix() + std::strerror(errno));
    cap->wav = nullptr;
    if (!cap->format) {
        if (cap->failed) {
            removeparts(true);
            std::fprintf(stderr, "%s: capture to %s failed: %s\n", programname(), cap->folder.c_str(),
                         cap->reason.c_str());
            return false;
        }
        std::fprintf(stderr, "%s: captured %ld frames and audio.wav to %s\n", programname(), cap->frames,
                     cap->folder.c_str());
        return true;
    }
    ::close(cap->ffmpegin);
    cap->ffmpegin = -1;
    const int status = waitfor(cap->ffmpeg);
    cap->ffmpeg = -1;
    cap->logreader.join();
    // ffmpeg's own reason goes first when it stopped taking frames; the show's writes fail only after.
    bool written = false;
    std::string ffmpegwhy;
    if (cap->ffmpegstopped || status != 0) ffmpegwhy = ffmpegreason(cap->ffmpeglog, status, &written);
    if (!cap->failed && ffmpegwhy.empty()) {
        std::string log;
        std::vector<std::string> args = {"-nostdin",
                                         "-hide_banner",
                                         "-loglevel",
                                         "error",
                                         "-y",
                                         "-i",
                                         ffmpegname(videopart()),
                                         "-i",
                                         ffmpegname(cap->folder + "/audio.wav"),
                                         "-map",
                                         "0:v",
                                         "-map",
                                         "1:a",
                                         "-c:v",
                                         "copy"};
        for (const std::string &w : words(cap->format->audio)) args.push_back(w);
        args.push_back(ffmpegname(cap->dest));
        const int mux = runffmpeg(args, log);
        if (mux != 0) ffmpegwhy = ffmpegreason(log, mux, &written);
    }
    if (cap->failed || !ffmpegwhy.empty()) {
        std::remove(cap->dest.c_str());
        removeparts(false);
        if (!cap->reason.empty() && !cap->ffmpegstopped)
            std::fprintf(stderr, "%s: capture to %s failed: %s\n", programname(), cap->dest.c_str(),
                         cap->reason.c_str());
        else if (written)
            std::fprintf(stderr, "%s: capture to %s failed: %s\n", programname(), cap->dest.c_str(),
                         ffmpegwhy.c_str());
        else
            std::fprintf(stderr, "%s: %s: ffmpeg failed: %s\n", programname(), cap->dest.c_str(),
                         ffmpegwhy.c_str());
        return false;
    }
    removeparts(false);
    std::fprintf(stderr, "%s: captured %ld frames to %s\n", programname(), cap->frames, cap->dest.c_str());
    return true;
}
