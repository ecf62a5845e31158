#include "replacer/Replacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "platform/CodePage.h"
#include "platform/FileLock.h"
#include "platform/FileOperations.h"
#include "platform/Process.h"

namespace replacer {

namespace {

// Beside the target, hidden, and never ending in the download suffix.
constexpr std::string_view kBackupSuffix = ".replaced";
constexpr unsigned kExecuteBits = 0111;

// An unsigned little- or big-endian field of an ELF header; nothing when it lies past the end.
std::optional<uint64_t> ReadField(std::string_view bytes, uint64_t offset, size_t size,
                                  bool bigEndian) {
    if (offset > bytes.size() || bytes.size() - offset < size) return std::nullopt;
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) {
        auto byte = static_cast<unsigned char>(bytes[offset + (bigEndian ? i : size - 1 - i)]);
        value = (value << 8) | byte;
    }
    return value;
}

std::string BackupPath(const std::string& target) {
    return FolderOf(target) + "." + NameOf(target) + std::string(kBackupSuffix);
}

// What was done to one target, so it can be undone.
struct TDoneStep {
    std::string Target;
    std::string Backup; // empty when the target did not exist before
};

void Undo(const std::vector<TDoneStep>& done) {
    for (auto step = done.rbegin(); step != done.rend(); ++step) {
        if (step->Backup.empty())
            platform::RemoveFile(step->Target);
        else
            platform::RenameFile(step->Backup, step->Target);
    }
}

std::string Failure(const std::string& target, int error) {
    return NameOf(target) + ": " + platform::ErrorText(error);
}

// One step; on failure nothing of it is left behind and the result names the error.
std::string ReplaceOne(const TReplacementStep& step, std::vector<TDoneStep>& done) {
    if (!platform::PathExists(step.Source)) return Failure(step.Source, ENOENT);
    if (platform::IsDirectory(step.Target)) return Failure(step.Target, EISDIR);
    TDoneStep record{step.Target, ""};
    unsigned mode = step.Runnable ? 0755 : 0644;
    if (platform::PathExists(step.Target)) {
        if (int error = platform::GetFileMode(step.Target, mode))
            return Failure(step.Target, error);
        record.Backup = BackupPath(step.Target);
        platform::RemoveFile(record.Backup); // left by a run that did not finish
        if (platform::LinkFile(step.Target, record.Backup) != 0) {
            if (int error = platform::CopyFile(step.Target, record.Backup)) {
                platform::RemoveFile(record.Backup);
                return Failure(step.Target, error);
            }
        }
    }
    if (step.Setup) mode |= kExecuteBits;
    int error = platform::SetFileMode(step.Source, mode);
    if (error == 0) error = platform::RenameFile(step.Source, step.Target);
    if (error != 0) {
        if (!record.Backup.empty()) platform::RemoveFile(record.Backup);
        return Failure(step.Target, error);
    }
    done.push_back(record);
    return "";
}

// The message file's text is in the code page; stderr gets UTF-8.
void LeaveMessage(const std::string& privateFolder, const std::string& utf8Text) {
    std::fprintf(stderr, "quorvel-replacer: %s\n", utf8Text.c_str());
    platform::WriteWholeFile(privateFolder + "/" + std::string(kMessageName),
                             platform::Utf8ToCodePage(utf8Text, platform::TConversion::Lenient) +
                                 "\n");
}

bool StartProgram(const TCommandLine& commandLine, const std::string& privateFolder) {
    return platform::StartProgram(commandLine.ProgramPath,
                                  SplitRestartParams(commandLine.RestartParams),
                                  {kFolderVariable, privateFolder});
}

} // namespace

std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args) {
    if (args.size() < 3) return std::nullopt;
    TCommandLine commandLine;
    commandLine.ListPath = args.back();
    std::string restart;
    if (args.size() == 3 && !args[1].empty() && args[1][0] == '+') {
        // The usual form: the program path may itself hold a "+".
        commandLine.ProgramPath = args[0];
        restart = args[1].substr(1);
    } else {
        std::string joined = args[0];
        for (size_t i = 1; i + 1 < args.size(); ++i)
            joined += " " + args[i];
        size_t plus = joined.find('+');
        if (plus == std::string::npos) return std::nullopt;
        commandLine.ProgramPath = joined.substr(0, plus);
        if (!commandLine.ProgramPath.empty() && commandLine.ProgramPath.back() == ' ')
            commandLine.ProgramPath.pop_back();
        restart = joined.substr(plus + 1);
    }
    if (commandLine.ProgramPath.empty() || restart.empty()) return std::nullopt;
    commandLine.Method =
        restart.back() == '1' ? TUpgradeMethod::ExternalSetup : TUpgradeMethod::SelfUpgrade;
    restart.pop_back();
    commandLine.RestartParams = restart;
    return commandLine;
}

std::vector<std::string> SplitRestartParams(std::string_view text) {
    std::vector<std::string> words;
    while (!text.empty()) {
        size_t blank = text.find(' ');
        std::string_view word = text.substr(0, blank);
        if (!word.empty()) words.emplace_back(word);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }
    return words;
}

std::string DownloadTarget(std::string_view name) {
    if (!name.ends_with(kDownloadSuffix)) return "";
    return std::string(name.substr(0, name.size() - kDownloadSuffix.size()));
}

std::string FolderOf(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? "" : std::string(path.substr(0, slash + 1));
}

std::string NameOf(std::string_view path) {
    size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool IsElfProgram(std::string_view bytes) {
    constexpr uint64_t kExecutable = 2, kShared = 3, kInterpreter = 3;
    if (bytes.size() < 52 || bytes.substr(0, 4) != "\x7f"
                                                   "ELF")
        return false;
    bool wide = bytes[4] == 2;
    bool bigEndian = bytes[5] == 2;
    if ((bytes[4] != 1 && !wide) || (bytes[5] != 1 && !bigEndian)) return false;
    auto type = ReadField(bytes, 16, 2, bigEndian);
    if (type == kExecutable) return true;
    if (type != kShared) return false;
    auto tableOffset = ReadField(bytes, wide ? 32 : 28, wide ? 8 : 4, bigEndian);
    auto entrySize = ReadField(bytes, wide ? 54 : 42, 2, bigEndian);
    auto entries = ReadField(bytes, wide ? 56 : 44, 2, bigEndian);
    if (!tableOffset || !entrySize || !entries) return false;
    for (uint64_t i = 0; i < *entries; ++i) {
        // Beyond the probe we cannot tell; no linker puts a program's headers there.
        auto entryType = ReadField(bytes, *tableOffset + i * *entrySize, 4, bigEndian);
        if (!entryType) return false;
        if (*entryType == kInterpreter) return true;
    }
    return false;
}

bool WaitForProgramEnd(const std::string& programPath, long processId,
                       std::chrono::milliseconds timeout) {
    if (!platform::PathExists(programPath)) return true;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        bool unlocked =
            platform::TryLockExclusive(programPath) || !platform::PathExists(programPath);
        if (unlocked && !platform::ProcessExists(processId)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

std::vector<TReplacementStep> PlanReplacement(const std::string& folder,
                                              const std::string& programName, TUpgradeMethod method,
                                              const std::vector<std::string>& files) {
    std::vector<TReplacementStep> steps;
    for (const std::string& name : files) {
        TReplacementStep step;
        step.Source = folder + name;
        step.Target = folder + DownloadTarget(name);
        step.Runnable = IsElfProgram(platform::ReadFileStart(step.Source, kElfProbeSize));
        steps.push_back(std::move(step));
    }
    // The download that kept the program's name, else the first program among the files.
    std::string programDownload = programName + std::string(kDownloadSuffix);
    auto program = std::find(files.begin(), files.end(), programDownload);
    size_t index = static_cast<size_t>(program - files.begin());
    if (program == files.end()) {
        index = 0;
        while (index < steps.size() && !steps[index].Runnable)
            ++index;
    }
    if (index < steps.size()) {
        if (method == TUpgradeMethod::SelfUpgrade)
            steps[index].Target = folder + programName;
        else
            steps[index].Setup = true;
    }
    return steps;
}

std::string ReplaceFiles(const std::vector<TReplacementStep>& steps) {
    std::vector<TDoneStep> done;
    for (const TReplacementStep& step : steps) {
        if (std::string failure = ReplaceOne(step, done); !failure.empty()) {
            Undo(done);
            for (const TReplacementStep& each : steps)
                platform::RemoveFile(each.Source);
            return failure;
        }
    }
    for (const TDoneStep& step : done)
        if (!step.Backup.empty()) platform::RemoveFile(step.Backup);
    if (!steps.empty()) platform::SyncDirectory(FolderOf(steps.front().Target));
    return "";
}

int Run(const TCommandLine& commandLine, std::chrono::milliseconds timeout) {
    std::string privateFolder = FolderOf(commandLine.ListPath);
    if (privateFolder.size() > 1) privateFolder.pop_back();
    std::string folder = FolderOf(commandLine.ProgramPath);

    std::string listText;
    std::optional<TReplacementList> list;
    if (platform::ReadWholeFile(commandLine.ListPath, listText))
        list = ParseReplacementList(listText);

    if (!WaitForProgramEnd(commandLine.ProgramPath, list ? list->ProcessId : 0, timeout)) {
        LeaveMessage(privateFolder,
                     "等待程序结束超时，没有替换任何文件：" + commandLine.ProgramPath);
        return 1;
    }
    if (!list) {
        LeaveMessage(privateFolder, "升级失败，无法读取文件列表：" + commandLine.ListPath);
        StartProgram(commandLine, privateFolder);
        return 1;
    }

    for (const std::string& name : list->Files) {
        if (!IsPlainFileName(DownloadTarget(name))) {
            LeaveMessage(privateFolder, "升级失败，文件名无效：" + name);
            StartProgram(commandLine, privateFolder);
            return 1;
        }
    }
    std::vector<TReplacementStep> steps =
        PlanReplacement(folder, NameOf(commandLine.ProgramPath), commandLine.Method, list->Files);
    if (std::string failure = ReplaceFiles(steps); !failure.empty()) {
        LeaveMessage(privateFolder, "升级失败，原来的文件已恢复。" + failure);
        StartProgram(commandLine, privateFolder);
        return 1;
    }

    int exitCode = 0;
    for (const TReplacementStep& step : steps) {
        if (!step.Setup) continue;
        // The setup is our child: wait for it, then it is no longer needed.
        long setup =
            platform::SpawnProgram(step.Target, SplitRestartParams(commandLine.RestartParams));
        if (setup < 0) {
            LeaveMessage(privateFolder, "无法启动安装程序：" + step.Target);
            exitCode = 1;
        } else {
            platform::WaitProgram(setup);
        }
        platform::RemoveFile(step.Target);
    }
    if (!StartProgram(commandLine, privateFolder)) {
        LeaveMessage(privateFolder, "无法重新启动程序：" + commandLine.ProgramPath);
        return 1;
    }
    return exitCode;
}

} // namespace replacer
