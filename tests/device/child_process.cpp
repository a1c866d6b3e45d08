#include "child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbilan::test {

namespace {

// What a calibration prompt of orbilan-cli ends with.
constexpr const char* PromptEnd = "or q and Enter to cancel: ";

// Only what is safe after a fork in a process with threads (umockdev's)
// happens here: everything the program gets is made beforehand.
[[noreturn]] void startInChild(const ChildRun& run, char* const* argv, char* const* envp, int in, int out, int err)
{
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (!run.folder.empty() && chdir(run.folder.c_str()) != 0)
        _exit(127);
    // Root opens any file whatever its mode through these two capabilities;
    // without them in the bounding set, the program started next has them
    // neither.
    if (run.withoutFileAccessOverride && geteuid() == 0
        && (prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0
            || prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) != 0)) {
        const char text[] = "cannot drop CAP_DAC_OVERRIDE\n";
        (void)!write(2, text, sizeof text - 1);
        _exit(CannotDropFileAccess);
    }
    execve(argv[0], argv, envp);
    _exit(127);
}

std::vector<std::string> environmentOf(const ChildRun& run)
{
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos)
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : run.environment) {
        if (value)
            vars[name] = *value;
        else
            vars.erase(name);
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : vars)
        out.push_back(name + "=" + value);
    return out;
}

} // namespace

ChildResult runChild(const ChildRun& run)
{
    // A program that ends before reading its answer must not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> environment = environmentOf(run);
    std::vector<char*> argv, envp;
    for (const std::string& a : run.args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0)
        startInChild(run, argv.data(), envp.data(), in[0], out[1], err[1]);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    ChildResult result;
    if (pid < 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }
    // No prompts expected: the program reads end of input at once.
    int input = in[1];
    if (!run.onPrompt) {
        close(input);
        input = -1;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(run.timeoutSeconds);
    std::size_t promptFrom = 0;
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        const int ready = poll(fds, 2, 1000);
        if (ready < 0 && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            result.err += "\n[killed: no end within " + std::to_string(run.timeoutSeconds) + " s]\n";
            break;
        }
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
        }
        // A prompt waits for its answer.
        const auto at = result.err.find(PromptEnd, promptFrom);
        if (input >= 0 && at != std::string::npos) {
            const std::size_t end = at + std::strlen(PromptEnd);
            const std::string line = run.onPrompt(result.err.substr(promptFrom, end - promptFrom)) + "\n";
            promptFrom = end;
            if (write(input, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
                close(input);
                input = -1;
            }
        }
    }
    if (input >= 0)
        close(input);
    close(out[0]);
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

} // namespace orbilan::test
