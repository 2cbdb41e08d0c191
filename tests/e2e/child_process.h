// Starting, signalling and reaping the processes the end-to-end tests run: the X server and the
// game itself. Children die with the test process, so a crashed test leaves nothing running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct ChildOptions {
    std::string workingDirectory;         // empty: the test's own
    std::vector<std::string> environment; // "NAME=value" entries added to the test's environment
    std::string stdoutPath;               // empty: /dev/null
    std::string stderrPath;               // empty: /dev/null
    int passFd = -1;                      // a descriptor the child keeps open under its own number
};

class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    void signal(int number) const;
    // The exit status once the child has ended by itself within the time, or nothing; a child
    // ended by a signal reports 128 + the signal number, as a shell would.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

std::string ReadWholeFile(const std::string& path);

// Gives every thread of the process a nice value; whether any was found.
bool SetProcessNiceness(pid_t process, int niceness);

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TemporaryFolder {
  public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};
