#include "support/RunProgram.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
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

// One argument as the C runtime of the started program will split it again: in quotes, with
// backslashes doubled where they precede a quote.
std::wstring quoted(const std::wstring& argument) {
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L"\"";
}

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : m_handle(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { ::CloseHandle(m_handle); }
    [[nodiscard]] HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

HANDLE createInheritable(const std::filesystem::path& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        fail("CreateFileW");
    }
    return handle;
}

#endif

}  // namespace

std::filesystem::path siblingProgram(const std::filesystem::path& name) {
#ifdef _WIN32
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (length == 0) {
            fail("GetModuleFileNameW");
        }
        if (length < self.size()) {
            self.resize(length);
            break;
        }
        self.resize(self.size() * 2);
    }
    return std::filesystem::path(self).parent_path() / name;
#else
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
#endif
}

ProgramRun runProgram(const std::filesystem::path& program,
                      const std::vector<std::u8string>& arguments,
                      const std::filesystem::path& folder) {
    const auto outPath = folder / ".out";
    const auto errPath = folder / ".err";
    ProgramRun run;
#ifdef _WIN32
    std::wstring commandLine = quoted(program.native());
    for (const auto& argument : arguments) {
        commandLine += L' ' + quoted(std::filesystem::path(argument).native());
    }
    {
        const OwnedHandle out(createInheritable(outPath));
        const OwnedHandle err(createInheritable(errPath));
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, folder.c_str(), &startup, &process) == FALSE) {
            fail("CreateProcessW");
        }
        const OwnedHandle thread(process.hThread);
        const OwnedHandle child(process.hProcess);
        if (::WaitForSingleObject(child.get(), 60000) != WAIT_OBJECT_0) {
            ::TerminateProcess(child.get(), 255);
            throw std::runtime_error("the program did not end within a minute");
        }
        DWORD status = 0;
        ::GetExitCodeProcess(child.get(), &status);
        run.status = static_cast<int>(status);
    }
#else
    std::vector<std::string> texts{program.native()};
    for (const auto& argument : arguments) {
        texts.emplace_back(argument.begin(), argument.end());
    }
    std::vector<char*> argv;
    for (auto& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t child = 0;
    const int failure =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        throw std::system_error(failure, std::system_category(), "posix_spawn");
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            throw std::system_error(errno, std::system_category(), "waitpid");
        }
    }
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
