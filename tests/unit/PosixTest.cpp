// The POSIX services against the real system: files, a real child process,
// and a re-start into a session of its own.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <cstdlib>
#include <thread>
#include <tuple>

#include "TestPlatform.h"
#include "platform/posix/GroupWait.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/PosixAutostart.h"
#include "platform/posix/UserFolders.h"
#include "help/HelpTopics.h"
#include "settings/Text.h"
#include "log/Printable.h"

namespace tamrel::test {
namespace {

using Clock = std::chrono::steady_clock;

class Posix : public PlatformTest {
protected:
    long ErrorNumber(const std::function<void()>& action) { return ErrorOf(action).Number(); }
    PosixProcesses processes;
};

TEST_F(Posix, OnlyVisibleRegularFilesExistOnlyWhatTheSystemCanStartIsRunnableAndFailuresNameTheirCause) {
    FileSystem& files = *t.files;
    t.Runnable("front.sh");
    t.Runnable("bare.sh", "echo no first line\n");
    t.Write("closed.sh", "#!/bin/sh\n");
    t.Write(".hidden", "");
    std::filesystem::create_directory(t.Path("folder"));
    std::filesystem::create_symlink(t.Path("front.sh"), t.Path("link.sh"));
    for (const std::string& path : {t.Path("front.sh"), t.Path("link.sh"), t.Path("bare.sh")}) {
        EXPECT_TRUE(files.FileExists(path)) << path;
    }
    for (const std::string& path : {t.Path(".hidden"), t.Path("folder"), t.Path("missing"), t.Path("front.sh/below"),
                                    std::string()}) {
        EXPECT_FALSE(files.FileExists(path)) << path;
    }
    EXPECT_TRUE(files.IsRunnable(t.Path("front.sh")));
    EXPECT_FALSE(files.IsRunnable(t.Path("bare.sh")));
    EXPECT_FALSE(files.IsRunnable(t.Path("closed.sh")));
    EXPECT_EQ(files.FileNameOnly("/games/front.sh"), "front.sh");
    EXPECT_EQ(files.FileNameOnly("front.sh"), "front.sh");
    EXPECT_EQ(PosixFileSystem("/").ProgramFolder(), "/");

    // Failures carry the system's number and the path.
    EXPECT_EQ(ErrorNumber([&] { files.ReadFile(t.Path("missing")); }), ENOENT);
    EXPECT_EQ(ErrorNumber([&] { files.RemoveFile(t.Path("missing")); }), ENOENT);
    EXPECT_EQ(ErrorNumber([&] { files.WriteFile(t.Path("no/such/file"), "x"); }), ENOENT);
    EXPECT_EQ(ErrorNumber([&] { files.SetCurrentFolder(t.Path("missing")); }), ENOENT);
    EXPECT_EQ(ErrorNumber([&] { files.MakeDriveCurrent("games/front.sh"); }), EINVAL);
    EXPECT_EQ(ErrorNumber([&] { files.MakeDriveCurrent("/games/front.sh"); }), 0);
    EXPECT_NE(ErrorOf([&] { files.ReadFile(t.Path("missing")); }).Description().find(t.Path("missing")),
              std::string::npos);
    files.WriteFile(t.Path("a"), "one\r\n");
    files.AppendFile(t.Path("a"), "two\r\n");
    files.RenameFile(t.Path("a"), t.Path("b"));
    EXPECT_EQ(files.ReadFile(t.Path("b")), "one\r\ntwo\r\n");
}

TEST_F(Posix, AReplacedFileKeepsItsLinkAndItsPermissions) {
    FileSystem& files = *t.files;
    std::filesystem::create_directory(t.Path("kept"));
    t.Write("kept/tamrel.set", "old");
    ::chmod(t.Path("kept/tamrel.set").c_str(), 0600);
    std::filesystem::create_symlink(t.Path("kept/tamrel.set"), t.Path("tamrel.set"));
    files.ReplaceFile(t.Path("tamrel.set"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(t.Path("tamrel.set")));
    EXPECT_EQ(t.Read("kept/tamrel.set"), "new");
    struct stat info {};
    ASSERT_EQ(::stat(t.Path("kept/tamrel.set").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(t.Path("kept")), {}), 1);

    // Moved to another file system (the logs' folder apart from the
    // settings'), the file arrives whole and leaves its old place.
    const std::string elsewhere = "/dev/shm/tamrel-test-" + std::to_string(::getpid());
    struct stat here {}, there {};
    if (::stat(t.folder().c_str(), &here) == 0 && ::stat("/dev/shm", &there) == 0 && here.st_dev != there.st_dev) {
        files.RenameFile(t.Path("kept/tamrel.set"), elsewhere);
        EXPECT_FALSE(t.Exists("kept/tamrel.set"));
        EXPECT_EQ(files.ReadFile(elsewhere), "new");
        std::filesystem::remove(elsewhere);
    }
}

TEST_F(Posix, FifosAndDevicesInAFilesPlaceAreRefusedWithoutWaiting) {
    for (const char* name : {"talog1.txt", "tamrel.txt", "tamrel.bad", "fifo"}) {
        ASSERT_EQ(::mkfifo(t.Path(name).c_str(), 0600), 0);
    }
    std::filesystem::create_symlink("/dev/zero", t.Path("zero"));
    t.app.logs().StartRun();
    for (const auto& [action, name] : std::vector<std::pair<std::function<void()>, std::string>>{
             {[&] { t.app.logs().Log("x"); }, "talog1.txt"},
             {[&] { t.app.logs().AppendErrorLog("x"); }, "tamrel.txt"},
             {[&] { t.files->ReadFile(t.Path("fifo")); }, "fifo"},
             {[&] { t.files->ReadFile(t.Path("zero")); }, "zero"}}) {
        const RuntimeError error = ErrorOf(action);
        EXPECT_NE(error.Number(), 0) << name;
        EXPECT_NE(error.Description().find(t.Path(name)), std::string::npos) << error.Description();
    }
    // A damaged settings file still goes aside over whatever is in the way.
    std::filesystem::remove(t.Path("talog1.txt"));
    std::filesystem::remove(t.Path("tamrel.txt"));
    t.WriteSettings({"nothing"});
    t.ui.QueueAnswer(ui::kAnswerOk);
    t.app.ShowShutdownScreen(kLongRun);
    EXPECT_TRUE(std::filesystem::is_regular_file(t.Path("tamrel.bad")));
}

TEST_F(Posix, OnlyTheUsersOwnPlainMarkerCounts) {
    const std::string marker = t.Path("holdmark.tes");
    PosixFileSystem files(t.folder(), marker);
    EXPECT_EQ(files.CheckMarkerFile(marker), MarkerState::Absent);
    t.Write("holdmark.tes", "");
    EXPECT_EQ(files.CheckMarkerFile(marker), MarkerState::Present);
    t.Write("real", "");
    // A link, a FIFO and, only root can hand a file to another user, someone else's file.
    const std::vector<std::function<int()>> ignored = {
        [&] { return ::symlink(t.Path("real").c_str(), marker.c_str()); },
        [&] { return ::mkfifo(marker.c_str(), 0600); },
        [&] { return t.Write("holdmark.tes", ""), ::chown(marker.c_str(), 65534, 65534); }};
    for (std::size_t i = 0; i < ignored.size() - (::geteuid() == 0 ? 0 : 1); ++i) {
        std::filesystem::remove(marker);
        ASSERT_EQ(ignored[i](), 0) << i;
        EXPECT_EQ(files.CheckMarkerFile(marker), MarkerState::Ignored) << i;
    }
    // Without a runtime folder the marker lives in the program folder (with one: the end-to-end runs).
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = runtime ? runtime : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PosixFileSystem("/games").MarkerFilePaths(), std::vector<std::string>{"/games/holdmark.tes"});
    if (runtime) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

TEST_F(Posix, OneInstanceHoldsTheFolderUntilItEndsAndARestartRunsDetachedFromIt) {
    auto first = processes.LockProgramFolder(t.folder(), 0);
    ASSERT_NE(first, nullptr);
    const auto started = Clock::now();
    EXPECT_EQ(processes.LockProgramFolder(t.folder(), 200), nullptr);
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(200));
    // A re-start waits for the ending instance.
    std::thread ending([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        first.reset();
    });
    EXPECT_NE(processes.LockProgramFolder(t.folder(), 5000), nullptr);
    ending.join();
    // Where no lock can be made, nothing is held.
    EXPECT_NE(processes.LockProgramFolder(t.Path("missing"), 0), nullptr);

    // The re-started one runs detached, from the program folder.
    t.Runnable("fake-tamrel", "#!/bin/sh\n{ pwd; awk '{print $6}' /proc/$$/stat; } > restarted.tmp\n"
                          "mv restarted.tmp restarted.txt\n");
    PosixProcesses restarter(t.Path("fake-tamrel"));
    restarter.RestartTamrel(t.folder());
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!t.Exists("restarted.txt") && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::istringstream report(t.Read("restarted.txt"));
    std::string folder;
    pid_t session = 0;
    report >> folder >> session;
    EXPECT_EQ(folder, t.folder());
    EXPECT_NE(session, ::getsid(0));
    EXPECT_EQ(ErrorNumber([&] { restarter.RestartTamrel(t.Path("missing")); }), ENOENT);
}

TEST_F(Posix, TheLaunchedProgramRunsInItsFolderAndTheWaitLastsUntilItEndsTheStartFailsOrAStopIsAsked) {
    t.Runnable("front.sh", "#!/bin/sh\nsleep 0.4\npwd > ran-in.txt\nexit 3\n");
    t.files->SetCurrentFolder(t.folder());
    const auto started = Clock::now();
    const ProcessId id = processes.StartProgram("front.sh", WindowStyle::Normal);
    ASSERT_NE(id, 0u);
    const ProgramEnd end = processes.WaitForProcess(id);
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(400));
    EXPECT_EQ(t.Read("ran-in.txt"), t.folder() + "\n");
    EXPECT_EQ(end.how, ProgramEnd::How::Exited);
    EXPECT_EQ(end.code, 3u);
    EXPECT_GE(end.seconds, 0.4);
    EXPECT_EQ(end.groupSeconds, 0);  // nothing outlived it
    EXPECT_EQ(processes.WaitForProcess(id).how, ProgramEnd::How::Unknown);  // already reaped: at once

    t.Runnable("crash.sh", "#!/bin/sh\nkill -9 $$\n");
    const ProgramEnd killed = processes.WaitForProcess(processes.StartProgram("crash.sh", WindowStyle::Normal));
    EXPECT_EQ(killed.how, ProgramEnd::How::Signalled);
    EXPECT_EQ(killed.code, 9u);

    // Refused starts are errors, and there is no search path.
    t.Write("plain.txt", "not a program");
    t.Runnable("noshebang.sh", "echo hi\n");
    EXPECT_EQ(ErrorNumber([&] { processes.StartProgram("missing.sh", WindowStyle::Normal); }), ENOENT);
    EXPECT_EQ(ErrorNumber([&] { processes.StartProgram("sh", WindowStyle::Normal); }), ENOENT);
    EXPECT_EQ(ErrorNumber([&] { processes.StartProgram("noshebang.sh", WindowStyle::Normal); }), ENOEXEC);
    if (::geteuid() != 0) {
        EXPECT_EQ(ErrorNumber([&] { processes.StartProgram("plain.txt", WindowStyle::Normal); }), EACCES);
    }

    // A stop request ends the wait and is passed on, to what the program
    // started too.
    t.Runnable("trap.sh", "#!/bin/sh\ntrap 'echo stopped > stopped.txt; exit 0' TERM\n"
                          "sh -c \"trap 'echo child > child.txt; exit 0' TERM; while :; do sleep 0.05; done\" &\n"
                          "while :; do sleep 0.05; done\n");
    const ProcessId stopped = processes.StartProgram("trap.sh", WindowStyle::Normal);
    std::thread asker([] {
        // Only the waiting thread may take it.
        sigset_t hangup;
        sigemptyset(&hangup);
        sigaddset(&hangup, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &hangup, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::kill(::getpid(), SIGHUP);
    });
    EXPECT_EQ(processes.WaitForProcess(stopped).stopRequest, SIGHUP);
    asker.join();
    EXPECT_EQ(processes.WaitForProcess(stopped).stopRequest, 0);  // the program ended as asked
    EXPECT_EQ(t.Read("stopped.txt"), "stopped\n");
    EXPECT_EQ(t.Read("child.txt"), "child\n");
}

TEST_F(Posix, TheWaitLastsUntilWhatTheProgramStartedHasEndedButNotForADaemon) {
    t.files->SetCurrentFolder(t.folder());
    // Left running by a launcher that exits at once, they come to Tamrel.
    t.Runnable("launcher.sh", "#!/bin/sh\n(sleep 0.3; (sleep 0.5; touch last.txt) &) &\nexit 4\n");
    // A session of its own: it means to outlive the program.
    t.Runnable("daemon.sh", "#!/bin/sh\nsetsid sh -c 'echo $$ > daemon.txt; exec sleep 30' &\nsleep 0.2\n");
    struct Case {
        std::string program;
        ProgramEnd::How how;
        std::uint32_t code;
        double atLeast, groupAtLeast, below;
    };
    for (const Case& c : {Case{"launcher.sh", ProgramEnd::How::Exited, 4, 0, 0.8, 5},
                          Case{"daemon.sh", ProgramEnd::How::Exited, 0, 0.2, 0, 5}}) {
        const auto started = Clock::now();
        const ProgramEnd end = processes.WaitForProcess(processes.StartProgram(c.program, WindowStyle::Normal));
        const double waited = std::chrono::duration<double>(Clock::now() - started).count();
        EXPECT_EQ(end.how, c.how) << c.program;
        EXPECT_EQ(end.code, c.code) << c.program;
        EXPECT_GE(end.seconds, c.atLeast) << c.program;
        EXPECT_LT(end.seconds, 0.3 + c.atLeast) << c.program;
        EXPECT_GE(end.groupSeconds, c.groupAtLeast) << c.program;
        EXPECT_GE(waited, std::max(c.atLeast, c.groupAtLeast)) << c.program;
        EXPECT_LT(waited, c.below) << c.program;
    }
    EXPECT_TRUE(t.Exists("last.txt"));
    ASSERT_TRUE(t.Exists("daemon.txt"));
    const pid_t daemon = std::stoi(t.Read("daemon.txt"));
    EXPECT_EQ(::kill(daemon, 0), 0);  // left running
    ::kill(daemon, SIGKILL);
}

// A watch that is due at the times it is given, in turn; the last says yes.
class TimedWatch : public ProgramWatch {
public:
    explicit TimedWatch(std::vector<SteadyMs> times) : times_(std::move(times)) {}
    int IdleMinutes() const override { return 1; }
    void InputSeen(SteadyMs) override {}
    void SourceIdle(bool, SteadyMs) override {}
    void Note(const std::string&) override {}
    SteadyMs NextDue() const override { return asked_ < times_.size() ? times_[asked_] : kNoDeadline; }
    bool Due(SteadyMs now) override {
        late_ = std::max(late_, now - times_.at(asked_));
        return ++asked_ == times_.size();
    }
    std::size_t asked_ = 0;
    SteadyMs late_ = 0;

private:
    std::vector<SteadyMs> times_;
};

TEST_F(Posix, AWatchedWaitWakesOnlyWhenDueAndEndingAProgramAsksThenForces) {
    t.files->SetCurrentFolder(t.folder());
    t.Runnable("polite.sh", "#!/bin/sh\ntrap 'touch asked.txt; exit 0' TERM\nwhile :; do sleep 0.05; done\n");
    const ProcessId polite = processes.StartProgram("polite.sh", WindowStyle::Normal);
    const SteadyMs start = SteadyNow();
    TimedWatch watch({start + 200, start + 400});
    const ProgramEnd due = processes.WaitForProcess(polite, &watch);
    EXPECT_TRUE(due.watchDue);
    EXPECT_EQ(watch.asked_, 2u);  // woken at each time, and only then
    EXPECT_GE(SteadyNow() - start, 400);
    EXPECT_LT(watch.late_, 150);
    EXPECT_EQ(::kill(-static_cast<pid_t>(polite), 0), 0);  // left running
    const auto asked = Clock::now();
    const ProgramEnd ended = processes.EndProgram(polite, 5000);
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(2));
    EXPECT_FALSE(ended.forced);
    EXPECT_EQ(ended.how, ProgramEnd::How::Exited);
    EXPECT_EQ(ended.code, 0u);
    EXPECT_GE(ended.seconds, 0.4);
    EXPECT_TRUE(t.Exists("asked.txt"));

    // One that ignores the request, with a child that would outlive it.
    t.Runnable("stubborn.sh", "#!/bin/sh\ntrap '' TERM\nsh -c \"trap '' TERM; sleep 30\" &\n"
                              "while :; do sleep 0.05; done\n");
    const ProcessId stubborn = processes.StartProgram("stubborn.sh", WindowStyle::Normal);
    TimedWatch soon({SteadyNow() + 100});
    EXPECT_TRUE(processes.WaitForProcess(stubborn, &soon).watchDue);
    const auto forcing = Clock::now();
    const ProgramEnd forced = processes.EndProgram(stubborn, 300);
    EXPECT_GE(Clock::now() - forcing, std::chrono::milliseconds(300));
    EXPECT_TRUE(forced.forced);
    EXPECT_EQ(forced.how, ProgramEnd::How::Signalled);
    EXPECT_EQ(forced.code, 9u);
    EXPECT_NE(::kill(-static_cast<pid_t>(stubborn), 0), 0);  // nothing of it is left

    // A program that ends by itself first is not held up by the watch.
    t.Runnable("short.sh", "#!/bin/sh\nsleep 0.1\nexit 5\n");
    TimedWatch late({SteadyNow() + 60000});
    const ProgramEnd itself = processes.WaitForProcess(processes.StartProgram("short.sh", WindowStyle::Normal), &late);
    EXPECT_FALSE(itself.watchDue);
    EXPECT_EQ(itself.code, 5u);
    EXPECT_EQ(late.asked_, 0u);
}

TEST(UserFolders, OnlyACopyUnderUsrGoesToTheUsersOwnFoldersFoundWithOrWithoutHome) {
    using Variables = std::map<std::string, std::string>;
    const auto in = [](const Variables& variables) {
        return [&variables](const char* name) -> const char* {
            const auto found = variables.find(name);
            return found == variables.end() ? nullptr : found->second.c_str();
        };
    };
    const std::string usr = "/usr/bin/tamrel";
    const std::string none = "no home";
    struct Case {
        std::string executable;
        Variables variables;
        std::string account;  // the user database's home
        Lines folders;        // program, settings, logs; or `none`
    };
    const std::vector<Case> cases = {
        {usr, {{"HOME", "/home/arcade"}}, "/home/db", {"/usr/bin", "/home/arcade/.config/tamrel", "/home/arcade/.local/state/tamrel"}},
        {"/usr/local/bin/tamrel", {{"HOME", "/root"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_STATE_HOME", "/st"}}, "",
         {"/usr/local/bin", "/cfg/tamrel", "/st/tamrel"}},
        // A relative or empty base folder does not count.
        {usr, {{"HOME", "/"}, {"XDG_CONFIG_HOME", "cfg"}, {"XDG_STATE_HOME", ""}}, "", {"/usr/bin", "/.config/tamrel", "/.local/state/tamrel"}},
        // Without HOME (a relative one is none) the user database's home,
        // and absolute XDG folders need no home at all.
        {usr, {}, "/home/db", {"/usr/bin", "/home/db/.config/tamrel", "/home/db/.local/state/tamrel"}},
        {usr, {{"HOME", "arcade"}, {"XDG_STATE_HOME", "/st"}}, "/home/db", {"/usr/bin", "/home/db/.config/tamrel", "/st/tamrel"}},
        {usr, {{"XDG_CONFIG_HOME", "/cfg"}, {"XDG_STATE_HOME", "/st"}}, "", {"/usr/bin", "/cfg/tamrel", "/st/tamrel"}},
        // An installed copy never writes beside itself.
        {usr, {}, "", {none}},
        {usr, {{"XDG_CONFIG_HOME", "/cfg"}}, "relative", {none}},
        {"/tamrel", {}, "", {"/", "/", "/"}},
        {"/home/arcade/tamrel/tamrel", {{"HOME", "/home/arcade"}, {"XDG_CONFIG_HOME", "/cfg"}}, "/home/db",
         {"/home/arcade/tamrel", "/home/arcade/tamrel", "/home/arcade/tamrel"}},
        {"/usrlocal/tamrel", {}, "", {"/usrlocal", "/usrlocal", "/usrlocal"}},
        {"/opt/usr/tamrel", {}, "", {"/opt/usr", "/opt/usr", "/opt/usr"}},
    };
    for (const Case& c : cases) {
        Lines found;
        try {
            const TamrelFolders f = FoldersFor(c.executable, in(c.variables), [&] { return c.account; });
            found = {f.program, f.settings, f.logs};
        } catch (const std::runtime_error&) {
            found = {none};
        }
        EXPECT_EQ(found, c.folders) << c.executable << " with home " << c.account;
    }
    // The autostart entry follows the same home.
    EXPECT_EQ(AutostartEntryFor(in({}), [] { return std::string("/home/db"); }),
              "/home/db/.config/autostart/tamrel.desktop");
    EXPECT_FALSE(HomeOfUser().empty());
}

TEST_F(Posix, TheAutostartEntryStartsThisExecutableAndValidates) {
    EXPECT_EQ(AutostartEntryFor([](const char* name) -> const char* { return std::string(name) == "HOME" ? "/home/arcade" : nullptr; }),
              "/home/arcade/.config/autostart/tamrel.desktop");
    const std::string entry = t.Path("config/autostart/tamrel.desktop");
    // Exec: quoted with \ before " ` $ \, % doubled, then every \ doubled as
    // a string value; TryExec: the string value alone.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"/usr/bin/tamrel", "/usr/bin/tamrel", "/usr/bin/tamrel"},
        {"/home/arcade/my \"cab\" 100%/$tamrel\\", R"("/home/arcade/my \\"cab\\" 100%%/\\$tamrel\\\\")",
         R"(/home/arcade/my "cab" 100%/$tamrel\\)"},
        {"/opt/100%d/tamrel", R"("/opt/100%%d/tamrel")", "/opt/100%d/tamrel"},
        {"/opt/a\\b/`it's`/tamrel", R"("/opt/a\\\\b/\\`it's\\`/tamrel")", R"(/opt/a\\b/`it's`/tamrel)"},
        {"/home/j\xc3\xa9r\xc3\xb4me/tamrel", "\"/home/j\xc3\xa9r\xc3\xb4me/tamrel\"", "/home/j\xc3\xa9r\xc3\xb4me/tamrel"},
    };
    for (const auto& [executable, exec, tryExec] : cases) {
        PosixAutostart autostart(*t.files, entry, executable);
        EXPECT_FALSE(autostart.IsOn());
        autostart.SetOn(true);  // its folders made on the way
        EXPECT_TRUE(autostart.IsOn()) << executable;
        const std::string text = t.Read("config/autostart/tamrel.desktop");
        EXPECT_NE(text.find("\nExec=" + exec + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("\nTryExec=" + tryExec + "\n"), std::string::npos) << text;
        if (::access("/usr/bin/desktop-file-validate", X_OK) == 0) {
            EXPECT_EQ(std::system(("/usr/bin/desktop-file-validate '" + entry + "'").c_str()), 0) << text;
        }
        autostart.SetOn(false);
        EXPECT_FALSE(t.Exists("config/autostart/tamrel.desktop"));
        autostart.SetOn(false);  // nothing to remove
    }
    // What the format cannot hold is refused with the reason, and no entry is made.
    for (const std::string refused : {"/opt/a\tb/tamrel", "/opt/a\nb/tamrel", "/opt/a\x01" "b/tamrel",
                                      "/opt/a\x7f" "b/tamrel", "/opt/\xe9t\xe9/tamrel", "/opt/\xc0\xaf/tamrel",
                                      "/opt/\xed\xa0\x80/tamrel", "/opt/\xe2\x82/tamrel"}) {
        const RuntimeError error = ErrorOf([&] { PosixAutostart(*t.files, entry, refused).SetOn(true); });
        EXPECT_NE(error.Description().find("which a desktop entry"), std::string::npos) << Printable(refused);
        EXPECT_EQ(error.Description().find_first_of("\t\n\x01\x7f"), std::string::npos);
        EXPECT_FALSE(t.Exists("config/autostart/tamrel.desktop"));
    }

    // Any entry of the folder that starts this executable counts, and
    // turning it off removes each; others and hidden ones stay.
    std::filesystem::create_directories(t.Path("bin"));
    const std::string tamrel = t.Runnable("bin/tamrel cab");
    const std::string other = t.Runnable("bin/other");
    std::filesystem::create_symlink(tamrel, t.Path("bin/linked"));
    const auto put = [&](const std::string& name, const std::string& keys) {
        t.Write("config/autostart/" + name, "[Desktop Entry]\nType=Application\nName=X\n" + keys);
    };
    const std::string quoted = "\"" + tamrel + "\"";
    PosixAutostart autostart(*t.files, entry, tamrel);
    put("other.desktop", "Exec=" + other + " " + quoted + "\n");
    put("hidden.desktop", "Exec=" + quoted + "\nHidden=true\n");
    put("notes.txt", "Exec=" + quoted + "\n");
    put("group.desktop", "[Desktop Action x]\nExec=" + quoted + "\n");
    EXPECT_FALSE(autostart.IsOn());
    EXPECT_EQ(autostart.EntryPath(), entry);
    for (const std::string& exec : {quoted + " --setup", "  " + quoted, t.Path("bin/tamrel") + "\\\\ cab",
                                    t.Path("bin/linked"), "\"" + t.Path("bin/../bin/tamrel cab") + "\" %U"}) {
        put("by hand.desktop", "Exec = " + exec + "\n");
        EXPECT_TRUE(autostart.IsOn()) << exec;
        EXPECT_EQ(autostart.EntryPath(), t.Path("config/autostart/by hand.desktop"));
    }
    put("tamrel.desktop", "Exec=" + quoted + "\n");
    autostart.SetOn(false);
    EXPECT_FALSE(autostart.IsOn());
    for (const char* gone : {"by hand.desktop", "tamrel.desktop"}) EXPECT_FALSE(t.Exists(std::string("config/autostart/") + gone));
    for (const char* kept : {"other.desktop", "hidden.desktop", "notes.txt", "group.desktop"}) {
        EXPECT_TRUE(t.Exists(std::string("config/autostart/") + kept)) << kept;
    }
    // A bare name is looked up as the session would.
    const char* path = std::getenv("PATH");
    const std::string savedPath = path ? path : "";
    ::setenv("PATH", t.Path("none").append(":").append(t.Path("bin")).c_str(), 1);
    put("bare.desktop", "Exec=linked\n");
    EXPECT_TRUE(autostart.IsOn());
    put("bare.desktop", "Exec=other\n");
    EXPECT_FALSE(autostart.IsOn());
    ::setenv("PATH", savedPath.c_str(), 1);

    // A folder that cannot be made is named.
    t.Write("plain", "");
    EXPECT_EQ(ErrorNumber([&] { PosixAutostart(*t.files, t.Path("plain/autostart/tamrel.desktop"), "x").SetOn(true); }), ENOTDIR);
}

// An installed copy whose user has no file of their own: the first system
// folder holding one wins even when that file is damaged, and a damaged
// system file is told of everywhere but never moved.
TEST_F(Posix, ADamagedSystemFileIsReportedAndLeftWhereItIs) {
    const std::string empty = t.Path("empty/tamrel"), fleet = t.Path("fleet/tamrel"), later = t.Path("later/tamrel");
    for (const std::string& folder : {t.Path("config/tamrel"), t.Path("state/tamrel"), empty, fleet, later}) {
        std::filesystem::create_directories(folder);
    }
    const std::string damaged = fleet + "/tamrel.set";
    std::ofstream(damaged, std::ios::binary) << "Run Setup = no\r\n";
    std::string good;
    for (const std::string& line : SettingsLines({"Shutdown method =0"})) good += line + "\r\n";
    std::ofstream(later + "/tamrel.set", std::ios::binary) << good;
    const TamrelFolders folders{t.Path("bin"), t.Path("config/tamrel"), t.Path("state/tamrel"), {empty, fleet, later}};
    PosixFileSystem files(folders, t.marker());
    Platform platform{files, t.processes, t.clock, t.power, t.ui, t.autostart, t.events};
    const auto events = [&] { return CrLfLines(t.Read("state/tamrel/talog1.txt")); };
    const auto logged = [&](const std::string& line) {
        const Lines all = events();
        return std::ranges::any_of(all, [&](const std::string& l) { return l.ends_with(" --- " + line); });
    };
    const std::string told = "The system's settings file " + damaged + " is corrupt!! It is left in place.";

    for (const bool setup : {false, true}) {
        t.ui.QueueAnswer(ui::kAnswerOk);
        Application app(platform, setup);
        app.Start();
        EXPECT_TRUE(logged(told)) << setup;
        EXPECT_TRUE(logged(setup ? "Setup starts from its defaults." : "Tamrel ended.")) << setup;
        EXPECT_EQ(t.ui.messageBoxes().back().prompt.find("There is something wrong in the system's settings file " +
                                                         damaged + ". It is left in place.\r"),
                  0u);
        EXPECT_EQ(t.ui.FindWindow("SetupWindow") != nullptr, setup);
        EXPECT_TRUE(t.processes.starts().empty());
    }
    const std::string error = " --The system's settings file " + damaged + " is corrupt! It is left in place.";
    const Lines errors = CrLfLines(t.Read("state/tamrel/tamrel.txt"));
    EXPECT_EQ(std::ranges::count_if(errors, [&](const std::string& line) { return line.ends_with(error); }), 2);
    EXPECT_EQ(t.Read("fleet/tamrel/tamrel.set"), "Run Setup = no\r\n");
    EXPECT_EQ(t.Read("later/tamrel/tamrel.set"), good);
    for (const char* folder : {"config/tamrel", "state/tamrel", "fleet/tamrel", "empty/tamrel"}) {
        EXPECT_FALSE(t.Exists(std::string(folder) + "/tamrel.bad")) << folder;
    }
    EXPECT_FALSE(t.Exists("config/tamrel/tamrel.set"));
}

// Where a run reads and writes with such folders: the installed end-to-end run.
TEST_F(Posix, TextsNameTheFoldersActuallyUsed) {
    const TamrelFolders folders{t.Path("bin"), t.Path("config/tamrel"), t.Path("state/tamrel")};
    PosixFileSystem files(folders, t.marker());
    Platform platform{files, t.processes, t.clock, t.power, t.ui, t.autostart, t.events};
    Application app(platform);
    using ui::Desktop;
    const std::tuple<Desktop, help::Topic, std::string> cases[] = {
        {Desktop::Session, help::Topic::Troubleshooting, "tamrel.txt in " + folders.logs + " holds"},
        {Desktop::Session, help::Topic::RunSetupAgain, "tamrel.bad in " + folders.logs + " for repair"},
        {Desktop::Session, help::Topic::RunSetupAgain, "Tamrel Setup in the applications menu"},
        {Desktop::Windows, help::Topic::RunSetupAgain, "start tamrel.exe /setup (or --setup)"},
        {Desktop::Session, help::Topic::Startup,
         "entry " + t.autostart.EntryPath() + ", which starts this very Tamrel, " + t.autostart.Executable() + ","},
        {Desktop::Windows, help::Topic::Startup, "create a shortcut to " + t.autostart.Executable() + " and"},
        {Desktop::Session, help::Topic::Glaunch,
         "looks for the marker as " + t.marker() + " (in " + folders.settings + " where"},
        // The folder a standard user may write to.
        {Desktop::Windows, help::Topic::Glaunch, "echo> \"" + folders.program + "/holdmark.tes\"\n"},
    };
    for (const auto& [desktop, topic, told] : cases) {
        t.ui.SetDesktop(desktop);
        app.ShowHelpTopic(static_cast<std::size_t>(topic));
        const std::string text = t.ui.FindWindow("HelpTopic")->FindControl("topicText")->Text();
        EXPECT_NE(text.find(told), std::string::npos) << told << "\n" << text;
        t.ui.ClickControl("HelpTopic", "close");
    }
}

}  // namespace
}  // namespace tamrel::test
