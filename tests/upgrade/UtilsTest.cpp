// The updater's helpers: HTTP dates in local time, the online rule, URL file names, the
// temporary folder and opening a URL in the browser.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/Network.h"
#include "platform/Process.h"
#include "tests/common/ScopedEnvironment.h"
#include "tests/common/TestFiles.h"
#include "upgrade/Utils.h"

using testing_support::ReadBytes;
using testing_support::WriteBytes;

namespace {

using testing_support::ScopedEnvironment;

// "YYYY-MM-DD hh:mm:ss", or "0" for no date: a failing row shows the whole value.
std::string Dump(TDateTime value) {
    if (value == 0) return "0";
    using namespace std::chrono;
    double wholeDays = std::floor(value);
    long long second = std::llround((value - wholeDays) * 86400);
    year_month_day date{sys_days{days{static_cast<long long>(wholeDays) - 25569}}};
    char text[96];
    snprintf(text, sizeof text, "%04d-%02u-%02u %02lld:%02lld:%02lld", int(date.year()),
             unsigned(date.month()), unsigned(date.day()), second / 3600, second / 60 % 60,
             second % 60);
    return text;
}

struct DateRow {
    const char* Text;
    const char* Expected;
};

void ExpectDates(const std::vector<DateRow>& rows) {
    for (const DateRow& row : rows)
        EXPECT_EQ(Dump(HttpDateToLocal(row.Text)), row.Expected) << '"' << row.Text << '"';
}

// Waits for a file that a started program writes; bounded so that a lost child fails the test.
bool WaitForFile(const std::string& path) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (std::filesystem::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// This process's children as "pid state" words, from /proc.
std::vector<std::string> ChildProcesses() {
    std::vector<std::string> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string stat = ReadBytes(entry.path().string() + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos || close + 4 >= stat.size()) continue;
        char state = stat[close + 2];
        long parent = strtol(stat.c_str() + close + 4, nullptr, 10);
        if (parent == static_cast<long>(getpid()))
            children.push_back(entry.path().filename().string() + " " + state);
    }
    return children;
}

} // namespace

TEST(HttpDate, TheThreeFormsAndTheirVariantsInUtc) {
    ScopedEnvironment zone("TZ", "UTC0");
    // The integer part counts days from 1899-12-30.
    EXPECT_DOUBLE_EQ(HttpDateToLocal("Sun, 06 Nov 1994 08:49:37 GMT"),
                     34644 + (8 * 3600 + 49 * 60 + 37) / 86400.0);
    ExpectDates({
        {"Sun, 06 Nov 1994 08:49:37 GMT", "1994-11-06 08:49:37"},
        {"Sunday, 06-Nov-94 08:49:37 GMT", "1994-11-06 08:49:37"},
        {"Sun Nov  6 08:49:37 1994", "1994-11-06 08:49:37"},
        {"Sun Nov 6 08:49:37 1994", "1994-11-06 08:49:37"},
        // Leading and trailing blanks, no weekday, any case.
        {"  \t Sun, 06 Nov 1994 08:49:37 GMT \r\n", "1994-11-06 08:49:37"},
        {"Sun Nov  6 08:49:37 1994 \r\n", "1994-11-06 08:49:37"},
        {"06 Nov 1994 08:49:37 GMT", "1994-11-06 08:49:37"},
        {"sUNDAY, 06-nov-94 08:49:37 gmt", "1994-11-06 08:49:37"},
        {"Mon, 03 Jan 2000 01:02:03 GMT", "2000-01-03 01:02:03"},
        {"Tue, 29 Feb 2000 12:00:00 GMT", "2000-02-29 12:00:00"},
        {"Wednesday, 31-Dec-25 23:59:59 GMT", "2025-12-31 23:59:59"},
        {"Thu Jan  1 00:00:00 1970", "1970-01-01 00:00:00"},
        {"Fri, 13 Aug 2021 10:00:00 GMT", "2021-08-13 10:00:00"},
        {"Saturday, 01-May-99 07:08:09 GMT", "1999-05-01 07:08:09"},
        // Two-digit years: below 80 this century, from 80 the last.
        {"01 Jan 79 00:00:00 GMT", "2079-01-01 00:00:00"},
        {"01-Jan-80 00:00:00 GMT", "1980-01-01 00:00:00"},
        {"01 Jan 99", "1999-01-01 00:00:00"},
        {"01 Jan 00", "2000-01-01 00:00:00"},
        {"01 Jan 100", "0100-01-01 00:00:00"},
        {"06 Nov 1960 08:49:37 GMT", "1960-11-06 08:49:37"},
        // No blank at all: the "-" form still splits.
        {"06-Nov-1994", "1994-11-06 00:00:00"},
        // A day that is not a number is the first; time parts that are not numbers are 0.
        {"xx Nov 1994 08:49:37 GMT", "1994-11-01 08:49:37"},
        {"-5 Nov 1994 08:49:37 GMT", "1994-11-01 08:49:37"},
        {"06 Nov 1994 08:xx:37 GMT", "1994-11-06 08:00:37"},
        {"06 Nov 1994 08:49 GMT", "1994-11-06 08:49:00"},
        // Numeric zones; a "-" zone is no "-" date; anything short or named is UTC.
        {"Mon, 01 Jan 2001 10:00:00 +0200", "2001-01-01 08:00:00"},
        {"Mon, 01 Jan 2001 10:00:00 -0230", "2001-01-01 12:30:00"},
        {"Mon, 01 Jan 2001 00:30:00 +0100", "2000-12-31 23:30:00"},
        {"Mon, 01 Jan 2001 10:00:00 +0200 (EET)", "2001-01-01 08:00:00"},
        {"Mon, 01 Jan 2001 +0200", "2000-12-31 22:00:00"},
        {"Mon, 01 Jan 2001 10:00:00 +020", "2001-01-01 10:00:00"},
        {"Mon, 01 Jan 2001 10:00:00 EST", "2001-01-01 10:00:00"},
        {"Mon, 01 Jan 2001 10:00:00 +02xx", "2001-01-01 10:00:00"},
    });
}

TEST(HttpDate, UnreadableAndImpossibleDatesGiveZero) {
    ScopedEnvironment zone("TZ", "UTC0");
    ExpectDates({
        {"", "0"},
        {"   ", "0"},
        {"32 Foo 2001", "0"},
        {"06 Foo 1994 08:49:37 GMT", "0"},
        {"Sun", "0"},
        {"Sun, 06 Nov", "0"},
        {"06 Nov xx", "0"},
        {"06 Nov 10000", "0"},
        {"30 Feb 2012", "0"},
        {"29 Feb 2013", "0"},
        {"29 Feb 2100", "0"},
        {"31 Apr 2001", "0"},
        {"00 Jan 2001", "0"},
        {"32 Jan 2001", "0"},
        {"06 Nov 1994 24:00:00 GMT", "0"},
        {"06 Nov 1994 23:60:00 GMT", "0"},
        {"06 Nov 1994 23:59:60 GMT", "0"},
        {"Sun Nov  6 08:49:37 1994 GMT", "0"},
    });
    // The last valid moments beside them still read.
    ExpectDates({
        {"29 Feb 2012", "2012-02-29 00:00:00"},
        {"30 Apr 2001", "2001-04-30 00:00:00"},
        {"06 Nov 1994 23:59:59 GMT", "1994-11-06 23:59:59"},
    });
}

TEST(HttpDate, LocalTimeUsesTheOffsetInEffectAtThatInstant) {
    {
        ScopedEnvironment zone("TZ", "CST-8");
        ExpectDates({
            {"Sun, 06 Nov 1994 08:49:37 GMT", "1994-11-06 16:49:37"},
            {"Sunday, 06-Nov-94 08:49:37 GMT", "1994-11-06 16:49:37"},
            {"Sun Nov  6 08:49:37 1994", "1994-11-06 16:49:37"},
            {"Mon, 01 Jan 2001 10:00:00 +0200", "2001-01-01 16:00:00"},
            {"Sun, 31 Dec 2000 20:00:00 GMT", "2001-01-01 04:00:00"},
        });
    }
    {
        // Central Europe: one hour in winter, two in summer, whatever the season today.
        ScopedEnvironment zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        ExpectDates({
            {"Fri, 15 Jan 2021 12:00:00 GMT", "2021-01-15 13:00:00"},
            {"Thu, 15 Jul 2021 12:00:00 GMT", "2021-07-15 14:00:00"},
            {"Sun, 28 Mar 2021 00:59:59 GMT", "2021-03-28 01:59:59"},
            {"Sun, 28 Mar 2021 01:00:00 GMT", "2021-03-28 03:00:00"},
            {"Sun, 31 Oct 2021 00:59:59 GMT", "2021-10-31 02:59:59"},
            {"Sun, 31 Oct 2021 01:00:00 GMT", "2021-10-31 02:00:00"},
            {"Thu, 15 Jul 2021 14:00:00 +0200", "2021-07-15 14:00:00"},
        });
    }
    {
        ScopedEnvironment zone("TZ", "EST5EDT,M3.2.0,M11.1.0");
        ExpectDates({
            {"Mon, 01 Jan 2001 02:00:00 GMT", "2000-12-31 21:00:00"},
            {"Sun, 01 Jul 2001 02:00:00 GMT", "2001-06-30 22:00:00"},
            {"Thu, 01 Jan 1970 02:00:00 GMT", "1969-12-31 21:00:00"},
        });
    }
}

TEST(Online, TheLastAddressDecides) {
    struct Row {
        std::vector<std::string> Addresses;
        bool Online;
    };
    const std::vector<Row> rows = {
        {{}, false},
        {{"127.0.0.1"}, false},
        {{"192.168.1.20"}, true},
        {{"127.0.1.1"}, true},
        {{"127.0.0.1", "192.168.1.20"}, true},
        {{"192.168.1.20", "127.0.0.1"}, false},
        {{"10.0.0.1", "192.168.1.20"}, true},
    };
    for (const Row& row : rows) {
        std::string shown;
        for (const std::string& address : row.Addresses)
            shown += address + " ";
        EXPECT_EQ(IsOnlineWithAddresses(row.Addresses), row.Online) << "[" << shown << "]";
    }
    // The resolver's answer in dotted form, as the rule compares it.
    std::vector<std::string> local = platform::HostAddresses("localhost");
    EXPECT_NE(std::find(local.begin(), local.end(), "127.0.0.1"), local.end());
}

TEST(Url, FileNameIsTheTextAfterTheLastSlashBackslashOrColon) {
    struct Row {
        const char* Url;
        const char* FileName;
    };
    const std::vector<Row> rows = {
        {"http://example.com/files/setup.zip", "setup.zip"},
        {"http://example.com/files/", ""},
        {"http://example.com/a\\b\\c.txt", "c.txt"},
        {"http://example.com/a\\b/c.txt", "c.txt"},
        {"http://example.com/a/b\\c.txt", "c.txt"},
        {"setup.zip", "setup.zip"},
        {"", ""},
        {"c:setup.zip", "setup.zip"},
        {"http://example.com:8080", "8080"},
        {"http://example.com/get?file=a.zip", "get?file=a.zip"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(UrlFileName(row.Url), row.FileName) << row.Url;
}

TEST(TempFolder, TmpdirWhenItIsAFolderElseTmp) {
    testing_support::TempFolder folder;
    std::string withoutSlash = folder.Path().substr(0, folder.Path().size() - 1);
    WriteBytes(folder.Path() + "file", "x");
    struct Row {
        std::optional<std::string> Tmpdir;
        std::string Expected;
    };
    const std::vector<Row> rows = {
        {withoutSlash, folder.Path()},
        {folder.Path(), folder.Path()},
        {folder.Path() + "missing", "/tmp/"},
        {folder.Path() + "file", "/tmp/"},
        {"", "/tmp/"},
        {std::nullopt, "/tmp/"},
    };
    for (const Row& row : rows) {
        ScopedEnvironment tmpdir("TMPDIR", row.Tmpdir);
        EXPECT_EQ(TempFolder(), row.Expected) << row.Tmpdir.value_or("(unset)");
    }
}

TEST(OpenUrl, TheBrowserGetsTheUrlAsItsOneUnchangedArgument) {
    testing_support::TempFolder folder;
    std::string seen = folder.Path() + "seen";
    // Writes its argument count and arguments, then renames, so a partial file is never read.
    std::string script = "#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s\\n' \"$#\" \"$@\" > '" + seen +
                         ".part'\nmv '" + seen + ".part' '" + seen + "'\n";
    for (const char* name : {"browser", "xdg-open"}) {
        WriteBytes(folder.Path() + name, script);
        ASSERT_EQ(chmod((folder.Path() + name).c_str(), 0755), 0);
    }
    std::string path = getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin";

    struct Row {
        std::optional<std::string> Browser;
        std::string Path;
        std::string Url;
        std::string Arrives;
    };
    const std::string tricky = "http://example.com/a b/\"q\" 'x';echo $HOME `id` |&*";
    const std::vector<Row> rows = {
        {folder.Path() + "browser", path, tricky, tricky},
        {folder.Path() + "browser", path, "https://example.com/", "https://example.com/"},
        // A bare name is looked up in PATH; without "://" the URL gets http://.
        {"browser", folder.Path() + ":" + path, "example.com/x", "http://example.com/x"},
        // Unset or empty: xdg-open.
        {std::nullopt, folder.Path(), "ftp://example.com/f", "ftp://example.com/f"},
        {"", folder.Path(), "example.com", "http://example.com"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Browser.value_or("(unset)") + " " + row.Url);
        std::filesystem::remove(seen);
        ScopedEnvironment browser("BROWSER", row.Browser);
        ScopedEnvironment searchPath("PATH", row.Path);
        ASSERT_TRUE(OpenUrl(row.Url));
        ASSERT_TRUE(WaitForFile(seen));
        EXPECT_EQ(ReadBytes(seen), "1\n" + row.Arrives + "\n");
    }

    {
        ScopedEnvironment browser("BROWSER", folder.Path() + "missing");
        EXPECT_FALSE(OpenUrl("example.com"));
    }
    {
        ScopedEnvironment browser("BROWSER", std::nullopt);
        ScopedEnvironment searchPath("PATH", folder.Path() + "missing");
        EXPECT_FALSE(OpenUrl("example.com"));
    }

    // Every browser has ended by now or soon; none stays behind as a zombie.
    std::vector<std::string> children = ChildProcesses();
    for (int attempt = 0; attempt < 1000 && !children.empty(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        children = ChildProcesses();
    }
    EXPECT_TRUE(children.empty()) << ::testing::PrintToString(children);
}

TEST(StartProgram, TheProgramInheritsNeitherBlockedSignalsNorAnIgnoredSigpipe) {
    testing_support::TempFolder folder;
    std::string seen = folder.Path() + "status";

    // As a worker thread of a program that writes to sockets might have it. cp, not a shell
    // script, reports the state: the shell would unblock everything itself.
    auto oldPipe = std::signal(SIGPIPE, SIG_IGN);
    sigset_t blocked, oldMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &blocked, &oldMask);
    bool started = platform::StartProgram("cp", {"/proc/self/status", seen});
    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    std::signal(SIGPIPE, oldPipe);
    ASSERT_TRUE(started);

    // SigCgt follows the two lines read here, so once it is there they are complete.
    std::string status;
    for (int attempt = 0; attempt < 1000 && status.find("SigCgt:") == std::string::npos;
         ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        status = ReadBytes(seen);
    }
    size_t blockedAt = status.find("SigBlk:");
    size_t ignoredAt = status.find("SigIgn:");
    ASSERT_NE(blockedAt, std::string::npos) << status;
    ASSERT_NE(ignoredAt, std::string::npos) << status;
    unsigned long long blockedMask = std::stoull(status.substr(blockedAt + 7), nullptr, 16);
    unsigned long long ignoredMask = std::stoull(status.substr(ignoredAt + 7), nullptr, 16);
    EXPECT_EQ(blockedMask, 0u) << status;
    EXPECT_EQ(ignoredMask & (1ull << (SIGPIPE - 1)), 0u) << status;
}
