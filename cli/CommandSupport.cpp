#include "cli/CommandSupport.h"

#include "peres/PEModule.h"
#include "util/Exceptions.h"
#include "util/FileErrorText.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <climits>
#include <memory>
#include <cstdio>

namespace pictavo::cli {

std::optional<int> ParseIndex(const std::string& text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

IconSourceText ParseIconSource(const std::string& text) {
    const size_t colon = text.find_last_of(':');
    if (colon != std::string::npos && colon > 0) {
        const std::optional<int> index = ParseIndex(text.substr(colon + 1));
        if (index)
            return {text.substr(0, colon), index};
    }
    return {text, std::nullopt};
}

int ProgramChangeFailure(const std::string& program, const std::exception& error) {
    std::string message = FileErrorText(program, error.what());
    if (dynamic_cast<const ESignedImage*>(&error) != nullptr)
        message += "; --strip-signature writes it without the signature";
    return Failure(message);
}

const Command& CommandNamed(const char* name) {
    for (const Command& command : Commands())
        if (std::string(command.name) == name)
            return command;
    throw Exception(std::string("no command ") + name);
}

void SayWaitingForLock(const std::string& lockFile) {
    SayError(Format("waiting: another build or removal holds %s", lockFile.c_str()));
    std::fflush(stderr);
}

LockWait WaitForLockSaying(std::optional<int> seconds, const std::function<void()>& beforeSaying) {
    struct State {
        std::string LockFile;
        std::chrono::steady_clock::time_point Since;
    };
    auto state = std::make_shared<State>();
    LockWait wait;
    wait.OnWait = [state, beforeSaying](const std::string& lockFile) {
        state->LockFile = lockFile;
        state->Since = std::chrono::steady_clock::now();
        if (beforeSaying)
            beforeSaying();
        SayWaitingForLock(lockFile);
    };
    if (seconds)
        wait.WhileWaiting = [state, limit = *seconds] {
            if (std::chrono::steady_clock::now() - state->Since >= std::chrono::seconds(limit))
                throw Exception(Format("gave up waiting after %d seconds: another build or "
                                       "removal still holds %s",
                                       limit, state->LockFile.c_str()));
        };
    return wait;
}

std::string ParseWaitValue(const Arguments& args, size_t& i, std::optional<int>& seconds) {
    if (i + 1 == args.size())
        return args[i] + " needs a value";
    seconds = ParseIndex(args[++i]);
    if (!seconds)
        return "--wait needs a number of seconds, not '" + args[i] + "'";
    return "";
}

std::string UnreadableFileError(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int error = fd < 0 ? errno : 0;
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        error = EISDIR;
    if (fd >= 0)
        ::close(fd);
    return error == 0 ? "" : fileName + ": " + std::strerror(error);
}

std::string LineText(const std::string& text) {
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\t')
            line += "\\t";
        else if (c == '\r')
            line += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            line += Format("\\x%02x", byte);
        else
            line += c;
    }
    return line;
}

} // namespace pictavo::cli
