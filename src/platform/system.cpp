#include "platform/system.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iostream>

namespace platform {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

}  // namespace

PosixSystem::PosixSystem(std::vector<std::string> args, std::string programFolder)
    : args_(std::move(args)), programFolder_(std::move(programFolder)) {}

std::string PosixSystem::ComputerName() {
    // As on the original platform, COMPUTERNAME names the computer; it also
    // lets two programs on one machine act as two computers.
    std::string name = Env("COMPUTERNAME");
    if (name.empty()) {
        char buf[256] = {};
        if (gethostname(buf, sizeof buf - 1) != 0) return "";
        name = buf;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    }
    auto b = name.find_first_not_of(' ');
    auto e = name.find_last_not_of(' ');
    return b == std::string::npos ? "" : name.substr(b, e - b + 1);
}

std::string PosixSystem::TempFolder() {
    for (const char* name : {"TEMP", "TMPDIR"}) {
        std::string v = Env(name);
        if (!v.empty()) return v;
    }
    return "/tmp";
}

std::string PosixSystem::ProcessCommandLine() {
    std::string line;
    for (auto& a : args_) {
        if (!line.empty()) line += ' ';
        line += a;
    }
    return line;
}

bool PosixSystem::LockScreen() {
    return RunShell("loginctl lock-session >/dev/null 2>&1 || xdg-screensaver lock >/dev/null 2>&1") == 0;
}

bool PosixSystem::OpenInEditor(const std::string& path) {
    std::string editor = Env("VISUAL");
    if (editor.empty()) editor = Env("EDITOR");
    if (editor.empty()) editor = "xdg-open";
    // The viewer runs in the background, where its failing is never heard
    // of: a viewer that is not there must be told now.
    const size_t start = editor.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    const std::string program = editor.substr(start, editor.find_first_of(" \t", start) - start);
    if (RunShell("command -v " + program + " >/dev/null 2>&1") != 0) return false;
    return RunShell("(" + editor + " " + ShellQuote(path) + ") >/dev/null 2>&1 &") == 0;
}

int PosixSystem::RunShell(const std::string& command) {
    int rc = std::system(command.c_str());
    if (rc == -1) return -1;
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

void PosixSystem::WriteStandardError(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c != '\r') line += c;
    }
    std::cerr << line << '\n' << std::flush;
}

std::unique_ptr<IProcessLock> PosixSystem::ProcessLock(const std::string& name) {
    return std::make_unique<FileProcessLock>(lockFolder_, name);
}

void PosixSystem::EndProcess(int exitCode) {
    if (beforeEnd_) {
        auto work = std::move(beforeEnd_);
        beforeEnd_ = nullptr;
        work();
    }
    std::exit(exitCode);
}

TestSystem::TestSystem(std::string commandLine, std::string tempFolder, std::string programFolder,
                       std::string computerName)
    : PosixSystem({}, std::move(programFolder)),
      commandLine_(std::move(commandLine)),
      tempFolder_(std::move(tempFolder)),
      computerName_(std::move(computerName)) {
    SetLockFolder(tempFolder_);
}

}  // namespace platform
