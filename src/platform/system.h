#pragma once
// Operating-system services the program uses: the computer's name, folders,
// locking the screen, the text editor and the command shell, and the end of
// the process.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/process_lock.h"

namespace platform {

class ISystem {
public:
    virtual ~ISystem() = default;
    // This computer's name as the lock owner of queue rows; empty on failure.
    virtual std::string ComputerName() = 0;
    virtual std::string TempFolder() = 0;
    virtual std::string ProgramFolder() = 0;
    // The arguments the process was started with, joined by blanks.
    virtual std::string ProcessCommandLine() = 0;
    virtual bool LockScreen() = 0;
    // Opens a text file in an editor without waiting for it; false when no
    // editor could be started.
    virtual bool OpenInEditor(const std::string& path) = 0;
    // Runs a shell command, waiting for it; its exit status.
    virtual int RunShell(const std::string& command) = 0;
    // One line of the program's own messages on standard error.
    virtual void WriteStandardError(const std::string& text) = 0;
    // The lock of that name that every process of this computer shares,
    // not yet taken.
    virtual std::unique_ptr<IProcessLock> ProcessLock(const std::string& name) = 0;
    // Ends the process at once; never returns.
    [[noreturn]] virtual void EndProcess(int exitCode) = 0;
};

// Thrown by a test system in place of ending the process. Deliberately no
// std::exception: no handler for errors may swallow the end of the program.
class ProcessEnded {
public:
    explicit ProcessEnded(int code) : code_(code) {}
    int ExitCode() const { return code_; }

private:
    int code_;
};

class PosixSystem : public ISystem {
public:
    PosixSystem(std::vector<std::string> args, std::string programFolder);

    std::string ComputerName() override;
    std::string TempFolder() override;
    std::string ProgramFolder() override { return programFolder_; }
    std::string ProcessCommandLine() override;
    bool LockScreen() override;
    bool OpenInEditor(const std::string& path) override;
    int RunShell(const std::string& command) override;
    void WriteStandardError(const std::string& text) override;
    // A file lock in the lock folder.
    std::unique_ptr<IProcessLock> ProcessLock(const std::string& name) override;
    // Runs the last work before the process ends (closing the databases),
    // then ends it.
    [[noreturn]] void EndProcess(int exitCode) override;

    void SetBeforeEnd(std::function<void()> work) { beforeEnd_ = std::move(work); }
    // The folder of the process locks: one that every process of this
    // computer shares (the DM site's, where the site stands in for the
    // computer).
    void SetLockFolder(std::string folder) { lockFolder_ = std::move(folder); }

protected:
    std::vector<std::string> args_;
    std::string programFolder_;
    std::string lockFolder_ = "/tmp";
    std::function<void()> beforeEnd_;
};

// For tests: the process end throws ProcessEnded; names and folders are set
// (the process locks in the temp folder unless set).
class TestSystem : public PosixSystem {
public:
    TestSystem(std::string commandLine, std::string tempFolder, std::string programFolder,
               std::string computerName = "TESTPC");
    std::string ComputerName() override { return computerName_; }
    std::string TempFolder() override { return tempFolder_; }
    std::string ProcessCommandLine() override { return commandLine_; }
    bool LockScreen() override { ++lockCount; return true; }
    bool OpenInEditor(const std::string& path) override {
        openedInEditor.push_back(path);
        return editorStarts;
    }
    [[noreturn]] void EndProcess(int exitCode) override { throw ProcessEnded(exitCode); }
    void WriteStandardError(const std::string& text) override { standardError.push_back(text); }

    void SetCommandLine(std::string commandLine) { commandLine_ = std::move(commandLine); }
    void SetComputerName(std::string name) { computerName_ = std::move(name); }

    int lockCount = 0;
    std::vector<std::string> openedInEditor;
    // False stands for a computer without an editor to start.
    bool editorStarts = true;
    // What the program wrote to standard error, line by line.
    std::vector<std::string> standardError;

private:
    std::string commandLine_;
    std::string tempFolder_;
    std::string computerName_;
};

}  // namespace platform
