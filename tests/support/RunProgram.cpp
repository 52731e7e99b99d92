#include "support/RunProgram.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include "support/OwnedHandle.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;  // NOLINT: the environment the child inherits
#endif

namespace trovik::test {
namespace {

std::string readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#ifdef _WIN32

[[noreturn]] void fail(const char* what) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

// A file the started program inherits: its output, made anew, or its input.
HANDLE inheritable(const std::filesystem::path& path, bool output) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE handle = ::CreateFileW(
        path.c_str(), output ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, &inherit,
        output ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        fail("CreateFileW");
    }
    return handle;
}

#endif

}  // namespace

std::filesystem::path siblingProgram(const std::filesystem::path& name) {
#ifdef _WIN32
    std::wstring self(32768, L'\0');  // the longest path the system takes
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return std::filesystem::path(self).parent_path() / name;
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
#endif
}

ProgramRun runProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder,
                      std::chrono::milliseconds limit, const std::filesystem::path& input) {
    ProgramRun run;
    const auto outPath = folder / ".out";
    const auto errPath = folder / ".err";
#ifdef _WIN32
    // Each argument in quotes, as the C runtime of the started program will split them again:
    // enough for the arguments the tests pass, none of which holds a quote or ends with a '\'.
    std::wstring commandLine;
    for (const auto& argument : argv) {
        const std::filesystem::path wide(std::u8string(argument.begin(), argument.end()));
        if (wide.native().find(L'"') != std::wstring::npos || wide.native().ends_with(L'\\')) {
            throw std::invalid_argument("an argument that needs escaping");
        }
        commandLine += (commandLine.empty() ? L"\"" : L" \"") + wide.native() + L"\"";
    }
    {
        const OwnedHandle out(inheritable(outPath, true));
        const OwnedHandle err(inheritable(errPath, true));
        const OwnedHandle in(input.empty() ? INVALID_HANDLE_VALUE : inheritable(input, false));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        startup.hStdInput = in.valid() ? in.get() : nullptr;
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             folder.c_str(), &startup, &process) == FALSE) {
            fail("CreateProcessW");
        }
        const OwnedHandle thread(process.hThread);
        const OwnedHandle child(process.hProcess);
        if (::WaitForSingleObject(child.get(), static_cast<DWORD>(limit.count())) !=
            WAIT_OBJECT_0) {
            run.hung = true;
            ::TerminateProcess(child.get(), 255);
            ::WaitForSingleObject(child.get(), INFINITE);
        }
        DWORD status = 0;
        ::GetExitCodeProcess(child.get(), &status);
        run.status = run.hung ? -1 : static_cast<int>(status);
    }
#else
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.empty() ? "/dev/null" : input.c_str(),
                                     O_RDONLY, 0);
    for (const auto& [fd, path] : {std::pair{1, outPath}, std::pair{2, errPath}}) {
        posix_spawn_file_actions_addopen(&actions, fd, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
    }
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> arguments;
    for (const auto& argument : argv) {
        arguments.push_back(const_cast<char*>(argument.c_str()));  // NOLINT: argv is not written
    }
    arguments.push_back(nullptr);

    pid_t child = 0;
    const int spawned =
        ::posix_spawn(&child, arguments[0], &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::system_error(spawned, std::system_category(), "posix_spawn " + argv[0]);
    }
    // The child's descriptor becomes readable when it ends.
    pollfd ended{static_cast<int>(::syscall(SYS_pidfd_open, child, 0)), POLLIN, 0};
    if (ended.fd < 0 || ::poll(&ended, 1, static_cast<int>(limit.count())) != 1) {
        run.hung = true;
        ::kill(child, SIGKILL);
    }
    ::close(ended.fd);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    run.out = readWhole(outPath);
    run.err = readWhole(errPath);
    std::error_code ignored;
    std::filesystem::remove(outPath, ignored);
    std::filesystem::remove(errPath, ignored);
    return run;
}

}  // namespace trovik::test
