// The replacement program's work: read its command line, wait for quorvel to end, put the
// downloaded files in place (all or none) and start quorvel again.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "replacer/Protocol.h"

namespace replacer {

struct TCommandLine {
    std::string ProgramPath;
    std::string RestartParams; // the text; SplitRestartParams makes the arguments
    TUpgradeMethod Method = TUpgradeMethod::SelfUpgrade;
    std::string ListPath;
};

// args without the program's own name: program path, "+" + restart parameters + method digit,
// list path. A program path with blanks that arrived split into several arguments is joined
// again at single blanks. Nothing when there is no "+" part or no list path.
std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args);

// The restart parameter text split at blanks; a lone blank gives no argument.
std::vector<std::string> SplitRestartParams(std::string_view text);

// The name a downloaded file takes: without the download suffix; empty when it has none.
std::string DownloadTarget(std::string_view name);

// The path up to and including its last "/"; empty when it has none.
std::string FolderOf(std::string_view path);
// The text after the last "/".
std::string NameOf(std::string_view path);

// How many leading bytes of a file IsElfProgram needs: the ELF header and the program headers
// that linkers place right after it.
inline constexpr size_t kElfProbeSize = 4096;
// Whether bytes start a runnable ELF program: an executable, or a position-independent one
// (which names an interpreter, unlike a shared library).
bool IsElfProgram(std::string_view bytes);

// Waits until nobody holds the shared lock on the program file and the process is gone, trying
// every 100 ms. False when that did not happen within timeout. No waiting when the program
// file does not exist.
bool WaitForProgramEnd(const std::string& programPath, long processId,
                       std::chrono::milliseconds timeout);

// One downloaded file and where it goes.
struct TReplacementStep {
    std::string Source; // folder + listed name
    std::string Target;
    bool Runnable = false; // an ELF program: gets execute bits when it is new
    bool Setup = false;    // the external setup program: always gets execute bits
};

// Which listed file is the program and where every file goes. programName is the running
// program's file name; in self-upgrade mode the program file takes that name, in
// external-setup mode it keeps its own and becomes the setup program.
std::vector<TReplacementStep> PlanReplacement(const std::string& folder,
                                              const std::string& programName, TUpgradeMethod method,
                                              const std::vector<std::string>& files);

// Moves every step's file over its target. Either all files are in place and the old files are
// gone, or nothing has changed (files replaced so far are put back) and the result is one line
// naming the file and the error. The downloaded files of a failed replacement are removed.
std::string ReplaceFiles(const std::vector<TReplacementStep>& steps);

// The whole run after the command line was read; the program's exit code.
int Run(const TCommandLine& commandLine, std::chrono::milliseconds timeout);

} // namespace replacer
