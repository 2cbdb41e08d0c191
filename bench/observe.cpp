#include "observe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/resource.h>
#include <sys/shm.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

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

} // namespace

WindowRegion::WindowRegion(Display* display, Window window, std::optional<SceneArea> area)
    : display_(display), window_(window) {
    XWindowAttributes size{};
    XGetWindowAttributes(display, window, &size);
    picture_ = {size.width, size.height,
                std::vector<std::uint32_t>(static_cast<std::size_t>(size.width) * size.height)};
    int width = size.width;
    int height = size.height;
    if (area) {
        // A pixel to spare on every side for the rounding of the projection.
        const glm::ivec2 a = picture_.pixelOf(glm::vec3(area->from, 0));
        const glm::ivec2 b = picture_.pixelOf(glm::vec3(area->to, 0));
        left_ = std::clamp(std::min(a.x, b.x) - 1, 0, size.width - 1);
        top_ = std::clamp(std::min(a.y, b.y) - 1, 0, size.height - 1);
        width = std::min(std::max(a.x, b.x) + 2, size.width) - left_;
        height = std::min(std::max(a.y, b.y) + 2, size.height) - top_;
    }
    const int screen = DefaultScreen(display);
    image_ =
        XShmCreateImage(display, DefaultVisual(display, screen),
                        static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, nullptr,
                        &segment_, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image_ == nullptr || image_->bits_per_pixel != 32 || image_->bytes_per_line != 4 * width) {
        throw std::runtime_error("the X server's screen is not 24-bit RGB in 32-bit pixels");
    }
    segment_.shmid = shmget(IPC_PRIVATE,
                            static_cast<std::size_t>(image_->bytes_per_line) *
                                static_cast<std::size_t>(image_->height),
                            IPC_CREAT | 0600);
    segment_.shmaddr = image_->data = static_cast<char*>(shmat(segment_.shmid, nullptr, 0));
    segment_.readOnly = False;
    // Marked for removal at once: it goes with the last detach, even after a crash.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (segment_.shmaddr == reinterpret_cast<char*>(-1) || !XShmAttach(display, &segment_)) {
        throw std::runtime_error("cannot share memory with the X server");
    }
    XSync(display, False);
}

WindowRegion::~WindowRegion() {
    XShmDetach(display_, &segment_);
    XSync(display_, False);
    image_->data = nullptr;
    XDestroyImage(image_);
    shmdt(segment_.shmaddr);
}

bool WindowRegion::grab() {
    if (!XShmGetImage(display_, window_, image_, left_, top_, AllPlanes)) {
        return false;
    }
    for (int row = 0; row < image_->height; ++row) {
        std::memcpy(&picture_.pixels[static_cast<std::size_t>(top_ + row) * picture_.width + left_],
                    image_->data + static_cast<std::ptrdiff_t>(row) * image_->bytes_per_line,
                    static_cast<std::size_t>(image_->width) * 4);
    }
    return true;
}

Process::Process(const std::vector<std::string>& arguments, const std::string& stdoutPath,
                 const std::string& stderrPath) {
    std::vector<char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(const_cast<char*>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1,
                                     stdoutPath.empty() ? "/dev/null" : stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawnp(&pid_, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) {
        pid_ = -1;
        status_ = 127;
    }
    posix_spawn_file_actions_destroy(&actions);
}

Process::~Process() {
    if (running()) {
        signal(SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
}

bool Process::running() {
    return !waitForExit(std::chrono::milliseconds(0)).has_value();
}

void Process::signal(int number) const {
    if (pid_ > 0 && !status_) {
        kill(pid_, number);
    }
}

std::optional<int> Process::waitForExit(std::chrono::milliseconds limit) {
    const auto deadline = BenchClock::now() + limit;
    while (!status_) {
        int raw = 0;
        const pid_t result = waitpid(pid_, &raw, WNOHANG);
        if (result == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        } else if (BenchClock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return status_;
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
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

bool WaitForActive(XPlay& game, std::chrono::milliseconds limit) {
    return game.waitFor(
        [](const Picture& picture) { return ReadText(picture, -17, -2, 9) == "ACTIVE   "; }, limit);
}

std::unique_ptr<XPlay> StartGame(const DisplayMode& display, const char* bench, bool withPad) {
    // The program inherits the variables through the shell that XPlay starts it with; they are
    // taken away again once it runs, so that no later helper (perf) carries the libraries.
    const std::string preload = std::string(display.hz > 0 ? VELMORA_DISPLAY_SIM " " : "") +
                                (withPad ? VELMORA_VIRTUAL_PAD : "");
    setenv("LD_PRELOAD", preload.c_str(), 1);
    setenv("VELMORA_DISPLAY_HZ", std::to_string(display.hz).c_str(), 1);
    auto game = std::make_unique<XPlay>(VELMORA_PROGRAM, VELMORA_FOLDER);
    const bool steerable = WaitForActive(*game, 20s);
    unsetenv("LD_PRELOAD");
    unsetenv("VELMORA_DISPLAY_HZ");
    if (!steerable) {
        std::fprintf(stderr, "%s: the game never became steerable (%s)\n", bench, display.name);
        return nullptr;
    }
    return game;
}

std::chrono::nanoseconds RefreshPeriod(const DisplayMode& display) {
    return std::chrono::nanoseconds(1'000'000'000 / display.hz);
}

BenchClock::time_point RefreshBefore(const DisplayMode& display, BenchClock::time_point moment) {
    const auto period = RefreshPeriod(display);
    return BenchClock::time_point(moment.time_since_epoch() / period * period);
}

pid_t GameProcess() {
    return ChildNamed(getpid(), "velmora");
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

pid_t ChildNamed(pid_t parent, const std::string& name) {
    const std::string self = std::to_string(parent);
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

void PrintModesResult(const std::string& what, const std::vector<std::string>& figures,
                      const std::string& target) {
    std::printf("modes\t%s", what.c_str());
    for (const std::string& figure : figures) {
        std::printf("\t%s", figure.c_str());
    }
    std::printf("\t%s\n", target.c_str());
    std::fflush(stdout);
}

std::string Fixed(double value, int decimals, const std::string& unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s%s", decimals, value, unit.empty() ? "" : " ",
                  unit.c_str());
    return text;
}
