#include <richmarkup/pandoc/Pandoc.hpp>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace richmarkup::pandoc {

namespace {

bool executable(std::string const& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Pipes closed on exec in the parent's ends, so that a child run meanwhile on another thread
// does not hold them open.
void makePipe(int ends[2]) {
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("cannot run pandoc: ") + std::strerror(errno));
    }
}

// Writing into a pipe pandoc has closed must give EPIPE, not end the tool: SIGPIPE is held
// back on this thread while it writes, and one it raised is taken before it is let through.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &before_);
    }
    ~SigpipeHeld() {
        timespec const now{0, 0};
        while (sigtimedwait(&pipe_, nullptr, &now) > 0) {}
        pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    }
    SigpipeHeld(SigpipeHeld const&) = delete;
    SigpipeHeld& operator=(SigpipeHeld const&) = delete;

private:
    sigset_t pipe_;
    sigset_t before_;
};

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    std::string out;
    for (char c : text) {
        if (c == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out += c;
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

} // namespace

Pandoc::Pandoc(std::string program) {
    if (program.empty()) {
        path_ = findOnPath("pandoc");
    } else if (program.find('/') == std::string::npos) {
        path_ = findOnPath(program);
    } else if (executable(program)) {
        path_ = program;
    }
}

Pandoc::Run Pandoc::run(std::vector<std::string> const& arguments, std::string_view input) const {
    if (!path_) {
        throw std::runtime_error("no pandoc to run");
    }
    int in[2];
    int out[2];
    int err[2];
    makePipe(in);
    makePipe(out);
    makePipe(err);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> argv;
    std::string program = *path_;
    argv.push_back(program.data());
    std::vector<std::string> args = arguments;
    for (auto& argument : args) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    int const spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    if (spawned != 0) {
        ::close(in[1]);
        ::close(out[0]);
        ::close(err[0]);
        throw std::runtime_error("cannot run " + program + ": " + std::strerror(spawned));
    }
    Run result;
    {
        SigpipeHeld held;
        ::fcntl(in[1], F_SETFL, O_NONBLOCK);
        std::size_t written = 0;
        int toChild = in[1];
        if (input.empty()) {
            ::close(toChild);
            toChild = -1;
        }
        int fromChild[2] = {out[0], err[0]};
        std::string* sinks[2] = {&result.output, &result.errors};
        char buffer[1 << 16];
        while (toChild >= 0 || fromChild[0] >= 0 || fromChild[1] >= 0) {
            pollfd fds[3];
            nfds_t count = 0;
            fds[count++] = {toChild, POLLOUT, 0};
            fds[count++] = {fromChild[0], POLLIN, 0};
            fds[count++] = {fromChild[1], POLLIN, 0};
            if (::poll(fds, count, -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            if (toChild >= 0 && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
                ssize_t const n = ::write(toChild, input.data() + written, input.size() - written);
                if (n > 0) {
                    written += static_cast<std::size_t>(n);
                }
                if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                    ::close(toChild); // done, or pandoc stopped reading: its status says why
                    toChild = -1;
                }
            }
            for (int i = 0; i < 2; ++i) {
                if (fromChild[i] >= 0 && (fds[1 + i].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
                    ssize_t const n = ::read(fromChild[i], buffer, sizeof buffer);
                    if (n > 0) {
                        sinks[i]->append(buffer, static_cast<std::size_t>(n));
                    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                        ::close(fromChild[i]);
                        fromChild[i] = -1;
                    }
                }
            }
        }
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

formats::PandocWriter::Api Pandoc::api() const {
    if (!path_) {
        return formats::PandocWriter::Api::V1_23;
    }
    try {
        Run const version = run({"--version"});
        std::size_t const at = version.output.find("pandoc-types ");
        if (at != std::string::npos && version.output.compare(at + 13, 5, "1.22.") == 0) {
            return formats::PandocWriter::Api::V1_22;
        }
    } catch (std::exception const&) {}
    return formats::PandocWriter::Api::V1_23;
}

std::vector<std::string> Pandoc::listed(char const* option) const {
    std::vector<std::string> names;
    if (!path_) {
        return names;
    }
    Run const list = run({option});
    std::size_t from = 0;
    while (from < list.output.size()) {
        std::size_t end = list.output.find('\n', from);
        if (end == std::string::npos) {
            end = list.output.size();
        }
        if (end > from) {
            names.push_back(list.output.substr(from, end - from));
        }
        from = end + 1;
    }
    return names;
}

bool Pandoc::writes(std::string_view format) const {
    auto const names = listed("--list-output-formats");
    return std::find(names.begin(), names.end(), format) != names.end();
}

bool Pandoc::reads(std::string_view format) const {
    auto const names = listed("--list-input-formats");
    return std::find(names.begin(), names.end(), format) != names.end();
}

namespace {

// pandoc's note of a resource it could not fetch carries its HTTP library's whole request: the
// address and what pandoc did instead are what a reader needs.
std::string shortened(std::string warning) {
    std::string const fetch = "Could not fetch resource ";
    if (warning.rfind(fetch, 0) != 0) {
        return warning;
    }
    std::size_t const end = warning.find(": ", fetch.size());
    std::string out = "could not fetch " + warning.substr(fetch.size(), end - fetch.size());
    std::string const replaced = "Replacing image with description.";
    if (warning.find(replaced) != std::string::npos) {
        out += "; the image is replaced with its description";
    } else {
        out += "; the output does not hold it";
    }
    return out;
}

} // namespace

std::vector<std::string> Pandoc::warningsIn(std::string_view errors) {
    std::vector<std::string> warnings;
    bool inWarning = false;
    while (!errors.empty()) {
        std::size_t end = errors.find('\n');
        std::string_view const line = errors.substr(0, end);
        errors.remove_prefix(end == std::string_view::npos ? errors.size() : end + 1);
        if (line.rfind("[WARNING] ", 0) == 0) {
            warnings.emplace_back(line.substr(10));
            inWarning = true;
        } else if (inWarning && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            warnings.back() += ' ';
            warnings.back() += oneLine(std::string(line));
        } else {
            inWarning = false;
        }
    }
    for (auto& warning : warnings) {
        warning = shortened(std::move(warning));
    }
    return warnings;
}

std::string Pandoc::failureOf(Run const& run) {
    std::string message = oneLine(run.errors);
    if (message.empty()) {
        message = run.status < 0 ? "pandoc was killed" : "pandoc ended with status " + std::to_string(run.status);
    }
    return message;
}

std::optional<std::string> findOnPath(std::string const& name) {
    char const* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        std::size_t const colon = rest.find(':');
        std::string folder(rest.substr(0, colon));
        std::string const candidate = (folder.empty() ? std::string(".") : folder) + '/' + name;
        if (executable(candidate)) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(colon + 1);
    }
}

} // namespace richmarkup::pandoc
