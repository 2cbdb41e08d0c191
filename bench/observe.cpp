#include "observe.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// The fields of a stat line after the command name, which may itself hold spaces and
// parentheses: [0] is the state (field 3 of proc(5)), [1] the parent, [11] utime, [12] stime.
std::vector<std::string> StatFields(const std::string& statPath, std::string* name = nullptr) {
    std::ifstream file(statPath);
    std::string line;
    std::getline(file, line);
    const std::size_t open = line.find('(');
    const std::size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) {
        return {};
    }
    if (name != nullptr) {
        *name = line.substr(open + 1, close - open - 1);
    }
    std::istringstream rest(line.substr(close + 1));
    std::vector<std::string> fields;
    std::string field;
    while (rest >> field) {
        fields.push_back(field);
    }
    return fields;
}

double CpuSecondsOf(const std::vector<std::string>& fields) {
    if (fields.size() < 13) {
        return 0.0;
    }
    const double ticks = std::stod(fields[11]) + std::stod(fields[12]);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

PixelRect PixelsOf(const Camera& camera, float left, float bottom, float right, float top) {
    const glm::vec2 topLeft = camera.project({left, top, 0.0f});
    const glm::vec2 bottomRight = camera.project({right, bottom, 0.0f});
    const int x = static_cast<int>(std::floor(topLeft.x));
    const int y = static_cast<int>(std::floor(topLeft.y));
    return {x, y, static_cast<int>(std::ceil(bottomRight.x)) - x,
            static_cast<int>(std::ceil(bottomRight.y)) - y};
}

struct WindowRegion::Connection {
    Display* display = nullptr;
    XShmSegmentInfo segment{};
    XImage* image = nullptr;

    ~Connection() {
        if (image != nullptr) {
            XShmDetach(display, &segment);
            XSync(display, False);
            image->data = nullptr;
            XDestroyImage(image);
            shmdt(segment.shmaddr);
        }
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }
};

WindowRegion::WindowRegion(const std::string& displayName, WindowId window, WindowSize size,
                           PixelRect rect)
    : connection_(std::make_unique<Connection>()), window_(window), rect_(rect) {
    rect_.x = std::clamp(rect_.x, 0, size.width - 1);
    rect_.y = std::clamp(rect_.y, 0, size.height - 1);
    rect_.width = std::clamp(rect_.width, 1, size.width - rect_.x);
    rect_.height = std::clamp(rect_.height, 1, size.height - rect_.y);
    picture_.width = size.width;
    picture_.height = size.height;
    picture_.rgb.assign(static_cast<std::size_t>(size.width) * size.height * 3, 0);

    XSetErrorHandler(IgnoreXError);
    Display* display = connection_->display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) {
        throw std::runtime_error("cannot open display " + displayName);
    }
    const int screen = DefaultScreen(display);
    XImage* image =
        XShmCreateImage(display, DefaultVisual(display, screen),
                        static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, nullptr,
                        &connection_->segment, static_cast<unsigned>(rect_.width),
                        static_cast<unsigned>(rect_.height));
    if (image == nullptr || image->bits_per_pixel != 32 || image->red_mask != 0xff0000 ||
        image->green_mask != 0xff00 || image->blue_mask != 0xff) {
        throw std::runtime_error("the X server's screen is not 24-bit RGB in 32-bit pixels");
    }
    XShmSegmentInfo& segment = connection_->segment;
    segment.shmid = shmget(IPC_PRIVATE,
                           static_cast<std::size_t>(image->bytes_per_line) *
                               static_cast<std::size_t>(image->height),
                           IPC_CREAT | 0600);
    segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (segment.shmaddr == reinterpret_cast<char*>(-1) || !XShmAttach(display, &segment)) {
        XDestroyImage(image);
        throw std::runtime_error("cannot share memory with the X server");
    }
    connection_->image = image;
    XSync(display, False);
}

WindowRegion::~WindowRegion() = default;

bool WindowRegion::grab() {
    XImage* image = connection_->image;
    if (!XShmGetImage(connection_->display, window_, image, rect_.x, rect_.y, AllPlanes)) {
        return false;
    }
    for (int y = 0; y < rect_.height; ++y) {
        const auto* in =
            reinterpret_cast<const std::uint8_t*>(image->data) + y * image->bytes_per_line;
        std::uint8_t* out = picture_.rgb.data() +
                            (static_cast<std::size_t>(rect_.y + y) * picture_.width + rect_.x) * 3;
        for (int x = 0; x < rect_.width; ++x, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return true;
}

MachineStalls::MachineStalls()
    : thread_([this] {
          raised_ = setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -10) == 0;
          double last = SteadySeconds(BenchClock::now());
          while (!stop_) {
              std::this_thread::sleep_for(std::chrono::milliseconds(2));
              const double now = SteadySeconds(BenchClock::now());
              if (now - last > 0.020) {
                  const std::lock_guard<std::mutex> guard(mutex_);
                  stalls_.push_back({last, now});
              }
              last = now;
          }
      }) {}

MachineStalls::~MachineStalls() {
    stop_ = true;
    thread_.join();
}

bool MachineStalls::stalledWithin(double from, double to) const {
    const std::lock_guard<std::mutex> guard(mutex_);
    return std::any_of(stalls_.begin(), stalls_.end(),
                       [&](const Span& stall) { return stall.from < to && stall.to > from; });
}

int MachineStalls::count() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int>(stalls_.size());
}

double MachineStalls::longestMs() const {
    const std::lock_guard<std::mutex> guard(mutex_);
    double longest = 0.0;
    for (const Span& stall : stalls_) {
        longest = std::max(longest, (stall.to - stall.from) * 1000.0);
    }
    return longest;
}

double SteadySeconds(BenchClock::time_point when) {
    return std::chrono::duration<double>(when.time_since_epoch()).count();
}

double CpuSeconds(pid_t process) {
    return CpuSecondsOf(StatFields("/proc/" + std::to_string(process) + "/stat"));
}

std::map<std::string, double> CpuSecondsByThread(pid_t process) {
    std::map<std::string, double> byName;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(process) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::string name;
        const auto fields = StatFields((task.path() / "stat").string(), &name);
        byName[name] += CpuSecondsOf(fields);
    }
    return byName;
}

pid_t ThreadNamed(pid_t process, const std::string& name) {
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(process) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::string threadName;
        StatFields((task.path() / "stat").string(), &threadName);
        if (threadName == name) {
            return static_cast<pid_t>(std::stol(task.path().filename().string()));
        }
    }
    return 0;
}

pid_t ChildNamed(const std::string& name) {
    const std::string self = std::to_string(getpid());
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string id = entry.path().filename().string();
        if (id.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string processName;
        const auto fields = StatFields((entry.path() / "stat").string(), &processName);
        if (fields.size() > 1 && fields[1] == self && processName == name) {
            return static_cast<pid_t>(std::stol(id));
        }
    }
    return 0;
}

double LoadAverage() {
    std::ifstream file("/proc/loadavg");
    double load = 0.0;
    file >> load;
    return load;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double Largest(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

void PrintResult(const std::string& what, const std::string& median, const std::string& worst,
                 const std::string& target) {
    std::printf("result\t%s\t%s\t%s\t%s\n", what.c_str(), median.c_str(), worst.c_str(),
                target.c_str());
    std::fflush(stdout);
}

std::string Fixed(double value, int decimals, const std::string& unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s%s", decimals, value, unit.empty() ? "" : " ",
                  unit.c_str());
    return text;
}
