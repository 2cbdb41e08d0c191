#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& additions) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const std::string& addition : additions) {
            replaced = replaced || addition.substr(0, addition.find('=')) == name;
        }
        if (!replaced) {
            merged.push_back(text);
        }
    }
    merged.insert(merged.end(), additions.begin(), additions.end());
    return merged;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in the forked child, so only async-signal-safe calls until exec.
[[noreturn]] void BecomeChild(pid_t parent, char** arguments, char** environment,
                              const ChildOptions& options) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) {
        _exit(127);
    }
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
        _exit(127);
    }
    const char* outputs[2] = {options.stdoutPath.empty() ? "/dev/null" : options.stdoutPath.c_str(),
                              options.stderrPath.empty() ? "/dev/null"
                                                         : options.stderrPath.c_str()};
    for (int stream = 0; stream < 2; ++stream) {
        const int fd = open(outputs[stream], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, STDOUT_FILENO + stream) < 0) {
            _exit(127);
        }
        close(fd);
    }
    const int input = open("/dev/null", O_RDONLY);
    dup2(input, STDIN_FILENO);
    int firstToClose = 3;
    if (options.passFd >= 0) {
        if (options.passFd != 3 && dup2(options.passFd, 3) < 0) {
            _exit(127);
        }
        fcntl(3, F_SETFD, 0);
        firstToClose = 4;
    }
    close_range(static_cast<unsigned>(firstToClose), ~0U, 0);
    signal(SIGPIPE, SIG_DFL);
    execvpe(arguments[0], arguments, environment);
    _exit(127);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options) {
    std::vector<std::string> argumentTexts = arguments;
    std::vector<std::string> environmentTexts = MergedEnvironment(options.environment);
    std::vector<char*> argumentPointers = PointersTo(argumentTexts);
    std::vector<char*> environmentPointers = PointersTo(environmentTexts);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed: " + std::string(std::strerror(errno)));
    }
    if (pid_ == 0) {
        BecomeChild(parent, argumentPointers.data(), environmentPointers.data(), options);
    }
}

ChildProcess::~ChildProcess() {
    if (running()) {
        signal(SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
}

bool ChildProcess::running() {
    return !waitForExit(std::chrono::milliseconds(0)).has_value();
}

void ChildProcess::signal(int number) const {
    if (pid_ > 0 && !status_) {
        kill(pid_, number);
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!status_) {
        int raw = 0;
        const pid_t result = waitpid(pid_, &raw, WNOHANG);
        if (result == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        } else if (result < 0) {
            status_ = 255; // reaped elsewhere; cannot happen in these tests
        } else if (std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return status_;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool SetProcessNiceness(pid_t process, int niceness) {
    // A nice value belongs to a thread on Linux; threads started later inherit their creator's.
    bool found = false;
    const std::filesystem::path tasks = "/proc/" + std::to_string(process) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        const auto thread = static_cast<id_t>(std::stoul(task.path().filename().string()));
        found = setpriority(PRIO_PROCESS, thread, niceness) == 0 || found;
    }
    return found;
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-e2e-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
